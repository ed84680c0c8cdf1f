#pragma once

#include <QString>

class QWidget;

// modTellAFriend: the refer-a-friend request. The values are trimmed of
// spaces at both ends; everything else in them is kept.
struct ReferralValues
{
    QString name;
    QString email;
    QString message;
    QString friend_name;
    QString friend_email;
};

namespace modTellAFriend {

// The program-wide record: filled at every press, never cleared.
ReferralValues &values();
// The address of the last referral sent.
QString request_address();

// The refusal of a check, or an empty text when it passes.
QString check_emails(const ReferralValues &values); // the press handler's checks
QString check_others(const ReferralValues &values); // send_referral's checks

// The referral script's address with every value in its query string.
QString compose_request(const ReferralValues &values);

// Checks the rest of values() and opens the request, or shows why not.
void send_referral(QWidget *messageParent);

} // namespace modTellAFriend

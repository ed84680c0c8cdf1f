#pragma once

#include <QString>

class QWidget;

namespace zel {

// The refer-a-friend request. The values are trimmed of spaces at both ends;
// everything else in them is kept.
struct ReferralValues
{
    QString name;
    QString email;
    QString message;
    QString friendName;
    QString friendEmail;
};

namespace referral {

// The prompts the referral fields show until the user types. A name or
// message still equal to its prompt counts as not filled in.
inline const QString NamePrompt = QStringLiteral("Your Name");
inline const QString EmailPrompt = QStringLiteral("Your Email Address");
inline const QString MessagePrompt = QStringLiteral("Your Message");
inline const QString FriendNamePrompt = QStringLiteral("Friend's Name");
inline const QString FriendEmailPrompt = QStringLiteral("Friend's Email Address");

// The longest values the window takes, in UTF-16 units. Percent-encoded, one
// unit takes at most 9 characters (3 UTF-8 bytes, a line break 2 bytes as
// CR LF), so the values of the longest request take 9 x (4 x 256 + 2000) =
// 27,216 characters. With its fixed parts it stays within a Windows command
// line (32,767 characters, the browser's own path and options among them),
// and far within Linux's 128 KiB for one argument.
constexpr int LineLimit = 256;
constexpr int MessageLimit = 2000;
static_assert(9 * (4 * LineLimit + MessageLimit) <= 32767 - 4096,
              "the longest request leaves 4,096 characters for the browser and the addresses");

// The program-wide record: filled at every press, never cleared.
ReferralValues &values();
// The address of the last referral sent.
QString requestAddress();

// The refusal of a check, or an empty text when it passes.
QString checkEmails(const ReferralValues &values); // checked first, when the button is pressed
QString checkOthers(const ReferralValues &values); // checked then by sendReferral

// The referral script's address with every value in its query string.
QString composeRequest(const ReferralValues &values);

// Checks the rest of values() and opens the request, or shows why not.
void sendReferral(QWidget *messageParent);

} // namespace referral
} // namespace zel

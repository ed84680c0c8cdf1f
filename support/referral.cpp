#include "referral.h"

#include "link_target.h"
#include "messages.h"
#include "open_link.h"

#include <QUrl>

namespace modTellAFriend {
namespace {

const QString NamePrompt = QStringLiteral("Your Name");
const QString MessagePrompt = QStringLiteral("Your Message");
const QString FriendNamePrompt = QStringLiteral("Friend's Name");

QString &lastRequest()
{
    static QString address;
    return address;
}

bool properEmail(const QString &email)
{
    return email.contains(QLatin1Char('@')) && email.contains(QLatin1Char('.'));
}

bool filledIn(const QString &value, const QString &prompt)
{
    return !value.isEmpty() && value != prompt;
}

// Each value travels percent-encoded (UTF-8, everything but A-Z a-z 0-9 - . _ ~),
// so "&", "=", "#", "%", line breaks and any letter reach the server intact.
QString encoded(const QString &value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

} // namespace

ReferralValues &values()
{
    static ReferralValues record;
    return record;
}

QString request_address()
{
    return lastRequest();
}

QString check_emails(const ReferralValues &v)
{
    if (v.email == v.friend_email)
        return QStringLiteral("Please Enter Distinct Email Addresses");
    // A missing "@" and a missing "." are refused alike.
    if (!properEmail(v.email) || !properEmail(v.friend_email))
        return QStringLiteral("Please Enter Proper Email Address");
    return {};
}

QString check_others(const ReferralValues &v)
{
    if (!filledIn(v.name, NamePrompt))
        return QStringLiteral("Please Enter Your Name");
    if (!filledIn(v.message, MessagePrompt))
        return QStringLiteral("Please Enter Your Message");
    if (!filledIn(v.friend_name, FriendNamePrompt))
        return QStringLiteral("Please Enter Your Friend's Name");
    return {};
}

QString compose_request(const ReferralValues &v)
{
    return link_address(LinkTarget::ReferralEndpoint) + QStringLiteral("?taf1=") + encoded(v.name)
        + QStringLiteral("&taf2=") + encoded(v.email) + QStringLiteral("&taf3=")
        + encoded(v.message) + QStringLiteral("&taf4=") + encoded(v.friend_name)
        + QStringLiteral("&taf5=") + encoded(v.friend_email) + QStringLiteral("&taf6=")
        + encoded(link_address(LinkTarget::ProductSite));
}

void send_referral(QWidget *messageParent)
{
    const QString refusal = check_others(values());
    if (!refusal.isEmpty()) {
        messages::error(messageParent, refusal);
        return;
    }
    lastRequest() = compose_request(values());
    open_link(lastRequest());
}

} // namespace modTellAFriend

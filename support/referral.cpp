#include "support/referral.h"

#include "links/open_link.h"
#include "ui/messages.h"

#include <QUrl>

namespace zel::referral {
namespace {

QString lastRequest; // the address of the last referral sent

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

QString requestAddress()
{
    return lastRequest;
}

QString checkEmails(const ReferralValues &v)
{
    if (v.email == v.friendEmail)
        return QStringLiteral("Please Enter Distinct Email Addresses");
    // A missing "@" and a missing "." are refused alike.
    if (!properEmail(v.email) || !properEmail(v.friendEmail))
        return QStringLiteral("Please Enter Proper Email Address");
    return {};
}

QString checkOthers(const ReferralValues &v)
{
    if (!filledIn(v.name, NamePrompt))
        return QStringLiteral("Please Enter Your Name");
    if (!filledIn(v.message, MessagePrompt))
        return QStringLiteral("Please Enter Your Message");
    if (!filledIn(v.friendName, FriendNamePrompt))
        return QStringLiteral("Please Enter Your Friend's Name");
    return {};
}

QString composeRequest(const ReferralValues &v)
{
    return linkAddress(LinkTarget::ReferralEndpoint) + QStringLiteral("?taf1=") + encoded(v.name)
        + QStringLiteral("&taf2=") + encoded(v.email) + QStringLiteral("&taf3=")
        + encoded(v.message) + QStringLiteral("&taf4=") + encoded(v.friendName)
        + QStringLiteral("&taf5=") + encoded(v.friendEmail) + QStringLiteral("&taf6=")
        + encoded(linkAddress(LinkTarget::ProductSite));
}

void sendReferral(QWidget *messageParent)
{
    const QString refusal = checkOthers(values());
    if (!refusal.isEmpty()) {
        messages::error(messageParent, refusal);
        return;
    }
    lastRequest = composeRequest(values());
    openLink(lastRequest);
}

} // namespace zel::referral

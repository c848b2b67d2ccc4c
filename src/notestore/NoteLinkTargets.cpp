#include "notestore/NoteLinkTargets.h"

#include <QRegularExpression>

namespace notestore {

QString linkedNoteIdentifier(QStringView url)
{
    static const QRegularExpression target(QStringLiteral("^applenotes:note/([A-Za-z0-9_-]{1,128})(?:[?#].*)?$"),
                                           QRegularExpression::CaseInsensitiveOption
                                               | QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = target.match(url.toString());
    return match.hasMatch() ? noteLinkID(match.captured(1)) : QString();
}

QString noteLinkID(const QString& identifier)
{
    return identifier.toUpper();
}

} // namespace notestore

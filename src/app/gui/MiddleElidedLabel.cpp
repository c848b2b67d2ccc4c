#include "app/gui/MiddleElidedLabel.h"

#include <QPainter>
#include <QStyle>
#include <algorithm>

QRect MiddleElidedLabel::textRect() const
{
    const int inset = margin();
    return contentsRect().adjusted(inset, inset, -inset, -inset);
}

QString MiddleElidedLabel::displayedText() const
{
    // Line breaks would make a second line the sheet has no room for.
    QString line = text();
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return fontMetrics().elidedText(line, Qt::ElideMiddle, std::max(0, textRect().width()));
}

QSize MiddleElidedLabel::sizeHint() const
{
    return {minimumSizeHint().width(), QLabel::sizeHint().height()};
}

QSize MiddleElidedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    const int width = fontMetrics().horizontalAdvance(QStringLiteral("…")) + 2 * margin() + margins.left() + margins.right();
    return {width, QLabel::minimumSizeHint().height()};
}

void MiddleElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    style()->drawItemText(&painter, textRect(), int(alignment()) | Qt::TextSingleLine, palette(), isEnabled(),
                          displayedText(), foregroundRole());
}

#pragma once

#include <QLabel>

// A one-line label for texts of any length (a note's name): what does not
// fit is replaced by "…" in the middle, so the start and the end stay
// readable, and a long text never widens the window it is in. text() stays
// the whole text.
class MiddleElidedLabel final : public QLabel {
public:
    using QLabel::QLabel;

    // The text as drawn at the label's present width.
    QString displayedText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textRect() const;
};

#pragma once

#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

namespace testsupport {

// The format of the first character of the first occurrence of `text`.
inline QTextCharFormat formatOfText(const QTextDocument& document, const QString& text)
{
    const qsizetype index = document.toPlainText().indexOf(text);
    if (index < 0) {
        ADD_FAILURE() << "no text " << text.toStdString();
        return {};
    }
    QTextCursor cursor(const_cast<QTextDocument*>(&document));
    cursor.setPosition(int(index) + 1);
    return cursor.charFormat();
}

} // namespace testsupport

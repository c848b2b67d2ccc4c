#pragma once

#include "export/NotesScripting.h"
#include "notestore/NoteAttachments.h"

namespace notestore {

// One attachment of a database note as the scripting interface gives it:
// its name, a URL for link cards only, its dates, and saveIn copying its
// file (streamed, never held in memory).
class NoteStoreAttachment final : public NotesAttachment {
public:
    // `drawProblem`: why the body could not show it, when it is shown there;
    // `contentID`: the body shows its picture by reference.
    NoteStoreAttachment(AttachmentRow row, MediaPlace place, QString drawProblem = {}, QString contentID = {});

    QString name() override;
    std::optional<QString> URL() override;
    std::optional<QDateTime> creationDate() override { return m_row.creationDate; }
    std::optional<QDateTime> modificationDate() override { return m_row.modificationDate; }
    void saveIn(const QUrl& fileURL, FourCharCode format) override;
    QString saveProblem() override;
    QString contentID() override { return m_contentID; }

private:
    AttachmentRow m_row;
    MediaPlace m_place;
    QString m_drawProblem;
    QString m_contentID;
    QString m_saveProblem; // of the last saveIn
};

// Something the text named that cannot be exported at all, so that the
// summary names it: saves nothing, and says why.
class LeftOutAttachment final : public NotesAttachment {
public:
    LeftOutAttachment(QString name, QString problem) : m_name(std::move(name)), m_problem(std::move(problem)) {}
    QString name() override { return m_name; }
    std::optional<QString> URL() override { return std::nullopt; }
    std::optional<QDateTime> creationDate() override { return std::nullopt; }
    std::optional<QDateTime> modificationDate() override { return std::nullopt; }
    void saveIn(const QUrl&, FourCharCode) override {}
    QString saveProblem() override { return m_problem; }

private:
    QString m_name;
    QString m_problem;
};

// The attachments of a note whose body `renderer` has drawn, in text order:
// every attachment row the text names (tables only when they could not be
// drawn), and whatever else could not be drawn, so nothing goes unnamed.
QList<std::shared_ptr<NotesAttachment>> scriptingAttachments(const NoteAttachmentRenderer& renderer);

} // namespace notestore

#include "export/ExportNoteOperation.h"

#include <QScopeGuard>

FolderDict ExportNoteOperation::getFolderInfo(NotesFolder& folder)
{
    return getFolderInfo(folder, 1);
}

FolderDict ExportNoteOperation::getFolderInfo(NotesFolder& folder, int depth)
{
    FolderDict dict;
    dict.name = folder.name();
    dict.identifier = folder.id();
    if (depth > kMaxFolderDepth) {
        setOperationError(tooDeepError(dict.name));
        return dict;
    }
    for (const auto& subfolder : folder.folders()) {
        FolderDict subDict = getFolderInfo(*subfolder, depth + 1);
        if (operationError())
            return dict;
        dict.totalItemCount += subDict.totalItemCount;
        {
            std::lock_guard lock(m_mutex);
            m_nestedFolderIdentifiers.insert(subDict.identifier);
        }
        dict.folders.push_back(std::move(subDict));
    }
    for (const auto& note : folder.notes()) {
        if (note->hasBody())
            ++dict.totalItemCount;
    }
    return dict;
}

bool ExportNoteOperation::getAccounts()
{
    {
        std::lock_guard lock(m_mutex);
        m_nestedFolderIdentifiers.clear();
    }
    std::vector<AccountDict> accounts;
    quint64 total = totalNoteCount();
    const auto app = notesApp();
    // The rich-text thread has nothing to do before the first note: it
    // lends a hand with the count, stopped when the count ends either way.
    const auto stopHelping = std::make_shared<std::atomic<bool>>(false);
    const auto stopHelper = qScopeGuard([&] { stopHelping->store(true, std::memory_order_relaxed); });
    if (auto helper = app ? app->countingHelper() : nullptr)
        m_richTextQueue.async([helper = std::move(helper), stopHelping] { helper(*stopHelping); });
    const auto accountObjects = app ? app->accounts() : QList<std::shared_ptr<NotesAccount>>();
    for (const auto& account : accountObjects) {
        std::vector<FolderDict> folders;
        for (const auto& folder : account->folders()) {
            FolderDict dict = getFolderInfo(*folder);
            if (operationError())
                return false;
            total += dict.totalItemCount;
            folders.push_back(std::move(dict));
        }
        // Only now, with the whole account walked, are all nested folders
        // known, whatever order Notes listed them in.
        const QSet<QString> nested = nestedFolderIdentifiers();
        std::erase_if(folders, [&](const FolderDict& dict) {
            if (!nested.contains(dict.identifier))
                return false;
            total -= dict.totalItemCount;
            return true;
        });
        accounts.push_back(AccountDict{account->name(), account->id(), std::move(folders)});
    }
    std::lock_guard lock(m_mutex);
    m_accountDicts = std::move(accounts);
    m_totalNoteCount = total;
    return true;
}

std::shared_ptr<NotesAccount> ExportNoteOperation::accountWithIdentifier(const QString& identifier)
{
    const auto app = notesApp();
    if (!app)
        return nullptr;
    for (const auto& account : app->accounts()) {
        if (account->id() == identifier)
            return account;
    }
    return nullptr;
}

std::shared_ptr<NotesFolder> ExportNoteOperation::folderWithIdentifier(const QString& identifier, NotesAccount& account)
{
    for (const auto& folder : account.folders()) {
        if (folder->id() == identifier)
            return folder;
    }
    return nullptr;
}

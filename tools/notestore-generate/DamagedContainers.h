#pragma once

// Containers as damage or a hostile hand leaves them: written as usual,
// then changed by SQL or in their bytes, as no Notes version writes them.

#include "notestore-generate/NoteStoreGenerator.h"

#include <QByteArray>
#include <QStringList>

namespace notestoregen {

// Writes `container` into `folder`, then runs `statements` on its
// NoteStore.sqlite (rows pointing nowhere, entities named twice, dropped
// columns).
bool writeDamagedContainer(const Container& container, const QStringList& statements, const QString& folder,
                           QString* error);

// Overwrites `bytes.size()` bytes of the folder's NoteStore.sqlite at
// `offset` (the 1-based page `page` of `pageSize` bytes starts at
// (page - 1) * pageSize).
bool overwriteDatabaseBytes(const QString& folder, qint64 offset, const QByteArray& bytes, QString* error);

} // namespace notestoregen

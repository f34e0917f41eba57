// Free space on a folder's volume.
#pragma once

#include <QString>

// Bytes the current user may still write on the volume that holds the folder; -1 when the
// system cannot tell (no such folder, no volume).
qint64 iGetFreeDiskSpaceBytes(const QString& folder);

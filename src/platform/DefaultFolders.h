// Folders the program uses when the user has named none.
#pragma once

#include <QString>

// The default file cache and output folder: "PnTemp" in the user's cache folder, whose
// parent is created when missing so that the folder itself can be made. A folder at the
// file-system root cannot be created by an ordinary user here.
QString qstrGetDefaultCacheFolder();

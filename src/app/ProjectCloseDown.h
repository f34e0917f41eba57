// Closing the current project: the close-project question, the engine's clean-up and
// close, and the clean-up of transfer folders.
#pragma once

#include "cwbase.h"

#include <QString>
#include <vector>

// What the close-project dialog recorded. The close-down consumes it, so a later close
// never hands the engine the choices of an earlier dialog; without a recorded choice the
// engine is asked to keep everything and save nothing.
struct CloseProjectChoices {
    bool bRecorded = false;
    int iSave = 0; // 1 save, 0 discard
    bool bRetain = false;
    std::vector<CW_CLIP_ID> vecClips;
};
CloseProjectChoices& stctGetCloseProjectChoices();

// With destroy set: asks through the close-project dialog, closes the project and forgets
// the auto-recover file; keepFolder is a fetched-clip folder not offered for deletion.
// Without it: only asks (when the project changed) and waits for the foreground worker.
// False when the user cancelled or the engine refused.
bool vCheckAutoRecoverClipFolder(bool destroy, const QString& keepFolder);
// Offers to delete each transfer folder; keepFolder is never offered.
void vOfferTransferFolderDeletion(const QString& keepFolder);
// The engine side of the close; false when the engine's clean-up refused or failed (a save
// that could not be written: the failure is shown, and the project stays open).
bool bDestroyProject(bool waitFlag);

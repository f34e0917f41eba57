// The call-backs through which the engine reaches the user interface. On the
// user-interface thread they act at once; from any other thread they only write the
// runner's progress record and post events to the main window, which carries them out.
#pragma once

#include "Vosk.h"

struct CW_CallbackStruct;
class QSemaphore;

// Each fills its entries of the record and returns it. The main window is stored as the
// engine's receiver when it exists.
CW_CallbackStruct* vInitMessageCallbacks(CW_CallbackStruct* callbacks);
CW_CallbackStruct* vInitEventCallbacks(CW_CallbackStruct* callbacks);
CW_CallbackStruct* vInitDisplayCallbacks(CW_CallbackStruct* callbacks);
CW_CallbackStruct* vInitCommandCallback(CW_CallbackStruct* callbacks);
CW_CallbackStruct* vInitProgressCallbacks(CW_CallbackStruct* callbacks);

// Payload of event 10500.
struct CWKActivationRecord {
    int a;
    int b;
};

// Payload of event 10800: the change to commit as one undo step, and the frame it was made at.
struct CWKParameterChangeRecord {
    Vosk::CompositeCommand command;
    float fValue;
};

// Whether the calling thread is the user-interface thread.
bool bIsUserInterfaceThread();

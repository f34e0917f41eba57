// The engine: the C-style interface on project handles.
#pragma once

#include "cwbase.h"

#include <QString>

// Product identity of the running program; every product query takes it.
void vSetProduct(const QString& product);
QString qstrGetProduct();

// False for a null, closed or unknown handle.
CW_BOOL bIsValidInstance(CW_Instance project);

void vCloseProject(CW_Instance project);

// The current frame, counted from the clip's first index.
unsigned int uiGetFrameNumber(CW_Instance project);

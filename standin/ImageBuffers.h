// The I/O library's image buffers: made, freed and filled from frame files.
#pragma once

struct CW_CallbackStruct;

namespace standin {

void vInstallImageBufferCallbacks(CW_CallbackStruct& callbacks);

} // namespace standin

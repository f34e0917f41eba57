// What the image I/O library's subsystems read and write.
#pragma once

#include <map>
#include <memory>
#include <string>

struct BRD_ImageIO_Subsystem_Definition {
    std::string strName;
    // File-type flags: 1 images, 2 movies, 4 and 8 further kinds.
    unsigned int uiFlags = 0;
    // File-type name to extension patterns separated by ";"; either may be absent.
    std::shared_ptr<std::map<std::string, std::string>> pReadMap;
    std::shared_ptr<std::map<std::string, std::string>> pWriteMap;
    std::string strDefaultExtension;
};

// The definitions in the library's order; the count is returned.
unsigned int uiBRD_GetSubsystemDefinitions(const BRD_ImageIO_Subsystem_Definition* const*& definitions);

// Switches caching of the original clip's images.
class BRD_MemoryManager {
public:
    void vSetCacheOriginalClip(bool cache);
    bool bGetCacheOriginalClip() const;
    // The folder of the file cache.
    void vSetCacheFolder(const char* folderUtf8);
    std::string strGetCacheFolder() const;
};
BRD_MemoryManager* pGetMemoryManager(int index);

#include "cwbase.h"

#include <QMutex>
#include <QRecursiveMutex>

CW_AutoLock::CW_AutoLock(QMutex* mutex, const char*)
{
    // A checkpoint only: wait for whoever holds the mutex, then let it go at once.
    if (mutex) {
        mutex->lock();
        mutex->unlock();
    }
}

CW_AutoLock::CW_AutoLock(QRecursiveMutex* mutex, const char*)
{
    if (mutex) {
        mutex->lock();
        mutex->unlock();
    }
}

CW_Exception::CW_Exception(std::string userMessage, std::string developerMessage)
    : m_strUser(std::move(userMessage)), m_strDeveloper(std::move(developerMessage))
{
}

CW_BadFile::CW_BadFile(const char* sourceFile, int sourceLine, std::string developerMessage, std::string userMessage)
    : CW_Exception(std::move(userMessage), std::move(developerMessage)),
      m_strSourceFile(sourceFile ? sourceFile : ""), m_iSourceLine(sourceLine)
{
}

namespace {
struct FilmTypeRow {
    const char* name;
    unsigned int width;
    unsigned int height;
};
const FilmTypeRow kFilmTypes[] = {
    {"PAL", 720, 576},          {"NTSC", 720, 486},       {"HD 720", 1280, 720},
    {"HD 1080", 1920, 1080},    {"2K Full Aperture", 2048, 1556}, {"2K Academy", 1828, 1332},
    {"4K Full Aperture", 4096, 3112}, {"Custom", 0, 0},
};
} // namespace

std::vector<std::string> CW_FilmTypeFactory::getAllNames()
{
    std::vector<std::string> names;
    for (const FilmTypeRow& row : kFilmTypes)
        names.emplace_back(row.name);
    return names;
}

CW_FilmType CW_FilmTypeFactory::byName(const std::string& name)
{
    for (const FilmTypeRow& row : kFilmTypes) {
        if (name == row.name)
            return CW_FilmType{row.name, row.width, row.height};
    }
    return CW_FilmType{"Custom", 0, 0};
}

CW_FilmType CW_FilmTypeFactory::bestMatchForSize(const QSize& size, bool fields)
{
    const int height = fields ? size.height() * 2 : size.height();
    for (const FilmTypeRow& row : kFilmTypes) {
        if (row.width != 0 && int(row.width) == size.width() && int(row.height) == height)
            return CW_FilmType{row.name, row.width, row.height};
    }
    return CW_FilmType{"Custom", 0, 0};
}

CW_FilmType CW_FilmTypeFactory::customTypeForParAndDims(double pixelAspectRatio, const QSize& size, bool fields)
{
    // Aspect numbers in thousandths: (a / b) / (width / height) gives the ratio back.
    const double height = fields ? size.height() * 2.0 : size.height();
    if (size.width() <= 0 || height <= 0.0 || pixelAspectRatio <= 0.0)
        return CW_FilmType{"Custom", 0, 0};
    return CW_FilmType{"Custom", unsigned(size.width() * pixelAspectRatio * 1000.0 + 0.5), unsigned(height * 1000.0)};
}

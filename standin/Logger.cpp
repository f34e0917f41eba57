#include "Vosk.h"

#include <fstream>

namespace Vosk {

Logger* Logger::instance()
{
    static Logger logger;
    return &logger;
}

void Logger::Start(const std::string& filePathUtf8, const std::string& productName)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strFile = filePathUtf8;
    m_strProduct = productName;
    m_bStarted = !m_strFile.empty();
}

void Logger::startLogging(const std::string& filePath, const std::string& productNameUtf8, bool append)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strFile = filePath;
    m_strProduct = productNameUtf8;
    m_bStarted = false;
    if (m_strFile.empty())
        return;
    std::ofstream out(m_strFile, append ? std::ios::app : std::ios::trunc);
    if (!out)
        return;
    out << m_strProduct << ": (" << productNameUtf8 << ") Commenced logging\n";
    m_bStarted = bool(out);
}

std::string Logger::strGetFile() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_strFile;
}

void Logger::Stop()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bStarted = false;
}

bool Logger::bIsStarted() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bStarted;
}

void Logger::Log(const std::string& lineUtf8)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bStarted)
        return;
    std::ofstream out(m_strFile, std::ios::app);
    if (out)
        out << m_strProduct << ": " << lineUtf8 << '\n';
}

} // namespace Vosk

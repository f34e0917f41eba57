#include "XMLGetParser.h"

namespace {
// An element's text is cut here: a file name or an error message is never longer.
constexpr qsizetype kiMaximumElementText = 64 * 1024;
} // namespace

XMLGetParser::XMLGetParser()
{
    startDocument();
}

void XMLGetParser::vAddData(const QByteArray& utf8)
{
    if (bHasFailed())
        return;
    m_reader.addData(utf8);
    while (!m_reader.atEnd()) {
        switch (m_reader.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement(m_reader.qualifiedName().toString());
            break;
        case QXmlStreamReader::EndElement:
            endElement(m_reader.qualifiedName().toString());
            break;
        case QXmlStreamReader::Characters:
            characters(m_reader.text());
            break;
        default:
            break;
        }
        // The end of the text so far: the reader goes on when more arrives.
        if (m_reader.error() == QXmlStreamReader::PrematureEndOfDocumentError)
            return;
    }
}

bool XMLGetParser::bHasFailed() const
{
    return m_reader.hasError() && m_reader.error() != QXmlStreamReader::PrematureEndOfDocumentError;
}

void XMLGetParser::startDocument()
{
    m_qstrFileName.clear();
    m_qstrStatus.clear();
    m_qstrFrameNumber = QStringLiteral("1");
    m_qstrTotal = QStringLiteral("1");
}

bool XMLGetParser::startElement(const QString&)
{
    m_qstrBuffer.clear();
    return true;
}

bool XMLGetParser::endElement(const QString& qualifiedName)
{
    if (qualifiedName == QLatin1String("FILENAME")) {
        m_qstrFileName = m_qstrBuffer;
        m_qstrStatus = QStringLiteral("Transferring ") + m_qstrFileName;
    } else if (qualifiedName == QLatin1String("FRAMENUM")) {
        m_qstrFrameNumber = m_qstrBuffer;
    } else if (qualifiedName == QLatin1String("TOTALNUM")) {
        m_qstrTotal = m_qstrBuffer;
    } else if (qualifiedName == QLatin1String("PROGRESS")) {
        m_qstrStatus = QStringLiteral("Transferring %1 (%2 of %3)").arg(m_qstrFileName, m_qstrFrameNumber, m_qstrTotal);
    } else if (qualifiedName == QLatin1String("COMPLETE")) {
        m_qstrStatus = QStringLiteral("Transfer of %1 files completed.").arg(m_qstrTotal);
    } else if (qualifiedName == QLatin1String("ERROR")) {
        m_qstrStatus = QStringLiteral("ERROR: ") + m_qstrBuffer;
    }
    return true;
}

bool XMLGetParser::characters(QStringView text)
{
    if (m_qstrBuffer.size() < kiMaximumElementText)
        m_qstrBuffer += text.left(kiMaximumElementText - m_qstrBuffer.size());
    return true;
}

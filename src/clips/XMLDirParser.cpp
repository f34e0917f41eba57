#include "XMLDirParser.h"

#include <QXmlStreamReader>

void XMLDirParser::vRead(const QByteArray& utf8)
{
    QXmlStreamReader reader(utf8);
    startDocument();
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement:
            startElement(reader.qualifiedName().toString());
            break;
        case QXmlStreamReader::EndElement:
            endElement(reader.qualifiedName().toString());
            break;
        case QXmlStreamReader::Characters:
            characters(reader.text().toString());
            break;
        default:
            break;
        }
    }
    m_qstrError = reader.hasError() ? QStringLiteral("%1 (line %2)").arg(reader.errorString()).arg(reader.lineNumber())
                                    : QString();
}

void XMLDirParser::startDocument()
{
    m_qslClipLines.clear();
}

bool XMLDirParser::startElement(const QString&)
{
    m_qstrBuffer.clear();
    return true;
}

bool XMLDirParser::endElement(const QString& qualifiedName)
{
    if (qualifiedName == QLatin1String("CLIPS")) {
        m_qslClipLines = m_qstrBuffer.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    } else if (qualifiedName == QLatin1String("IO_FORMATS")) {
        const QStringList lines = m_qstrBuffer.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1String("Read - ")))
                m_qslReadFormats = trimmed.mid(7).split(QLatin1Char(' '), Qt::SkipEmptyParts);
            else if (trimmed.startsWith(QLatin1String("Write - ")))
                m_qslWriteFormats = trimmed.mid(8).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        }
    }
    return true;
}

bool XMLDirParser::characters(const QString& text)
{
    m_qstrBuffer += text;
    return true;
}

QStringList qslSplitClipLine(const QString& line)
{
    const QStringList fields = line.split(QLatin1Char('\t'), Qt::SkipEmptyParts);
    QStringList cells;
    // The name stands in double quotes: what comes before the closing quote, quotes removed.
    const QString name = fields.value(0);
    const int close = name.indexOf(QLatin1Char('"'), 1);
    cells.append(close < 0 ? QString() : name.left(close).remove(QLatin1Char('"')));
    for (int i = 1; i < 7; ++i)
        cells.append(fields.value(i).trimmed());
    return cells;
}

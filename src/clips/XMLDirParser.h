// Reads the clip listing that the clip-server program XMLDir prints.
#pragma once

#include <QString>
#include <QStringList>

class QXmlStreamReader;

class XMLDirParser {
public:
    // Reads the document in one pass; elements completed before a reading error count and
    // the error itself is not reported.
    void vRead(const QByteArray& utf8);

    // One entry per clip line of "CLIPS".
    QStringList qslGetClipLines() const { return m_qslClipLines; }
    QStringList qslGetReadFormats() const { return m_qslReadFormats; }
    QStringList qslGetWriteFormats() const { return m_qslWriteFormats; }
    // Why the reading stopped early, with the line; empty when it read to the end.
    QString qstrGetError() const { return m_qstrError; }

    void startDocument();
    bool startElement(const QString& qualifiedName);
    bool endElement(const QString& qualifiedName);
    bool characters(const QString& text);

private:
    QString m_qstrBuffer;
    QStringList m_qslClipLines;
    QStringList m_qslReadFormats;
    QStringList m_qslWriteFormats;
    QString m_qstrError;
};

// One clip line read into the seven cells of the listing table: the name, then the
// duration, resolution, start time code, frame rate, video/audio and scan, each stripped.
// Missing fields are empty; fields after the seventh are ignored.
QStringList qslSplitClipLine(const QString& line);

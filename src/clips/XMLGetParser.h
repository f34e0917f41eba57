// Reads the progress that the clip-server program XMLGet prints while it transfers a clip.
#pragma once

#include <QString>
#include <QXmlStreamReader>

class XMLGetParser {
public:
    XMLGetParser();

    // Reads more of the progress document. The text read so far counts as if it were read
    // again from its start: the elements completed up to its end, or up to the first
    // reading error, take effect in order; what follows an error is never read.
    void vAddData(const QByteArray& utf8);

    // What the wizard shows, and the name of the last reported file.
    QString qstrGetStatus() const { return m_qstrStatus; }
    QString qstrGetFileName() const { return m_qstrFileName; }
    // The document broke off with an error that more text cannot mend.
    bool bHasFailed() const;

    void startDocument();
    bool startElement(const QString& qualifiedName);
    bool endElement(const QString& qualifiedName);
    bool characters(QStringView text);

private:
    QXmlStreamReader m_reader;
    QString m_qstrStatus;
    QString m_qstrFileName;
    QString m_qstrFrameNumber;
    QString m_qstrTotal;
    QString m_qstrBuffer;
};

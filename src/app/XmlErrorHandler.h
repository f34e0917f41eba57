// The error sink of every XML reading, and the error log.
#pragma once

#include <QString>
#include <QXmlErrorHandler>

class XmlErrorHandler : public QXmlErrorHandler {
public:
    XmlErrorHandler() = default;
    ~XmlErrorHandler() override = default;

    // Each report is shown in its own box; a warning lets the parse go on.
    bool warning(const QXmlParseException& exception) override;
    bool error(const QXmlParseException& exception) override;
    bool fatalError(const QXmlParseException& exception) override;
    // The last message reported; empty before the first.
    QString errorString() const override;

private:
    void vReport(const QXmlParseException& exception);
    QString m_qstrMessage;
};


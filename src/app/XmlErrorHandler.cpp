#include "XmlErrorHandler.h"

#include "Vosk.h"

#include <QMessageBox>

void XmlErrorHandler::vReport(const QXmlParseException& exception)
{
    m_qstrMessage = exception.message();
    // Parsing may run while the splash screen is still up; the box neither closes it nor
    // takes a parent, and carries the maker's name rather than the product's.
    QMessageBox::warning(
        nullptr, QStringLiteral("Corvane"), exception.message(), QMessageBox::Ok, QMessageBox::NoButton);
}

bool XmlErrorHandler::warning(const QXmlParseException& exception)
{
    vReport(exception);
    return true;
}

bool XmlErrorHandler::error(const QXmlParseException& exception)
{
    vReport(exception);
    return false;
}

bool XmlErrorHandler::fatalError(const QXmlParseException& exception)
{
    return error(exception);
}

QString XmlErrorHandler::errorString() const
{
    return m_qstrMessage;
}

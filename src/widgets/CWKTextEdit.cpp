#include "CWKTextEdit.h"

#include <QFile>
#include <QMimeData>
#include <QStringDecoder>
#include <QTextCursor>
#include <QUrl>

namespace {
// The text of a local file, or nothing when it cannot be read, is too large or is not text.
bool bTextEditReadDroppedFile(const QUrl& url, QString& text)
{
    if (!url.isLocalFile())
        return false;
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > CWKTextEdit::kiMaxDroppedFileSize)
        return false;
    const QByteArray bytes = file.read(CWKTextEdit::kiMaxDroppedFileSize + 1);
    file.close();
    if (bytes.size() > CWKTextEdit::kiMaxDroppedFileSize || bytes.contains('\0'))
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    text = decoder.decode(bytes);
    if (text.startsWith(QChar(0xfeff)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return true;
}
} // namespace

CWKTextEdit::CWKTextEdit(QWidget* parent) : QTextEdit(parent)
{
}

CWKTextEdit::~CWKTextEdit() = default;

bool CWKTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    if (source->hasUrls())
        return true;
    return QTextEdit::canInsertFromMimeData(source);
}

void CWKTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasUrls()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    QStringList texts;
    const QList<QUrl> urls = source->urls();
    for (const QUrl& url : urls) {
        QString text;
        if (bTextEditReadDroppedFile(url, text))
            texts << text;
    }
    // A drop that brings no readable text keeps what was written.
    if (texts.isEmpty())
        return;
    // One edit block, so that the replacement can be undone.
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.setCharFormat(QTextCharFormat());
    for (int i = 0; i < texts.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(texts.at(i));
    }
    cursor.endEditBlock();
    setTextCursor(cursor);
}

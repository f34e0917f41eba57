#include "frmReportError.h"

#include "Vosk.h"
#include "WebServices.h"
#include "app/ProgramState.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"
#include "preferences/frmPreferences.h"
#include "velmor.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSettings>
#include <algorithm>

namespace {

// The server's answer is not read; a long one is no answer of the web form.
constexpr qint64 kiMaximumReportReply = 1 << 20;

// Reports outlive the dialog that sent them. Their connections must close while the
// application object still exists, so the main window owns them when there is one.
QNetworkAccessManager* pGetReportNetwork()
{
    static QPointer<QNetworkAccessManager> s_network;
    if (!s_network)
        s_network = new QNetworkAccessManager(
            g_pMainWindow ? static_cast<QObject*>(g_pMainWindow) : QCoreApplication::instance());
    return s_network;
}

void vSendErrorReport(const QByteArray& body)
{
    const QUrl address
        = urlGetServiceAddress(qstrGetReportHost(), QStringLiteral("/servlet/servlet.WebToCase?encoding=UTF-8"));
    if (address.isEmpty()) {
        vPostWebServiceMessage(10000,
            frmReportError::tr("The error report was not sent: this build has no "
                               "support address."));
        return;
    }
    QNetworkRequest request = reqMakeSecureRequest(address);
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    QNetworkReply* reply = pGetReportNetwork()->post(request, body);
    // Nothing reads the answer, so the network layer would hold all of it.
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply] {
        if (reply->bytesAvailable() > kiMaximumReportReply)
            vStopReply(reply, frmReportError::tr("the server's answer is too large."));
    });
    QObject::connect(reply, &QNetworkReply::finished, reply, [reply] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
            vPostWebServiceMessage(10100, frmReportError::tr("Your error report has been sent."));
            return;
        }
        const QString reason = status >= 300 ? frmReportError::tr("the server answered with status %1.").arg(status)
                                             : qstrDescribeReplyFailure(reply);
        vPostWebServiceMessage(10000, frmReportError::tr("The error report could not be sent: %1").arg(reason));
    });
}

const char* const kapszContactKeys[] = {"ContactName", "ContactCompany", "ContactEmail", "ContactPhone"};

} // namespace

frmReportError::frmReportError(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags | Qt::Sheet)
{
    setupUi(this);
    QString intro = tr("You can use this form to report an error to Corvane technical support. If you include your "
                       "contact details you will receive an acknowledgement by e-mail.");
    const QString support = QStringLiteral(PLINTRA_SUPPORT_EMAIL);
    if (!support.isEmpty())
        intro += tr(" If you have any difficulties using this form, please email")
            + QStringLiteral(" <a href=\"mailto:%1\" style=\"text-decoration: underline; color:#0000ff;\">%1</a>.")
                  .arg(support.toHtmlEscaped());
    textBrowser->setHtml(QStringLiteral("<p>") + intro + QStringLiteral("</p>"));
}

QString frmReportError::qstrGetLogFilePath()
{
    return frmPreferences::qstrGetErrorLogFile();
}

void frmReportError::readLog()
{
    const QString path = qstrGetLogFilePath();
    QFile log(path);
    // Only a plain file: a pipe or a device would never end.
    if (!QFileInfo(path).isFile() || !log.open(QIODevice::ReadOnly)) {
        edtErrorLog->setPlainText(tr("The error log could not be opened. Path: ") + log.fileName());
        return;
    }
    // Only the end of a long log is read and sent, from the first whole line in it: the
    // latest lines are the ones that tell, and a whole log can be larger than any form takes.
    const qint64 size = log.size();
    const qint64 windowStart = std::max<qint64>(0, size - kiMaximumReportedLog);
    QByteArray part;
    if (log.seek(windowStart))
        part = log.read(kiMaximumReportedLog);
    const bool cut = windowStart > 0;
    if (cut) {
        const qsizetype newline = part.indexOf('\n');
        part = newline >= 0 ? part.mid(newline + 1) : QByteArray();
    }
    qsizetype start = 0;
    if (rbtnLastLog->isChecked()) {
        const QByteArray marker
            = (QStringLiteral("(") + qstrGetProductName(qstrGetProduct()) + QStringLiteral(") Commenced logging"))
                  .toUtf8();
        const qsizetype found = part.lastIndexOf(marker);
        if (found >= 0)
            start = part.lastIndexOf('\n', found) + 1;
    }
    QString text = QString::fromUtf8(part.mid(start));
    if (cut && start == 0)
        text.prepend(tr("[Earlier lines of the log are left out.]") + QLatin1Char('\n'));
    edtErrorLog->setPlainText(text);
}

QByteArray frmReportError::baBuildReport() const
{
    const QString product = qstrGetProduct();
    const QString description = edtComments->toPlainText() + QStringLiteral("\n\n") + edtErrorLog->toPlainText();
    return "orgid=" + baEncodeFormValue(qstrGetReportOrgId()) + "&name=" + baEncodeFormValue(edtName->text())
        + "&email=" + baEncodeFormValue(edtEmail->text()) + "&phone=" + baEncodeFormValue(edtPhone->text())
        + "&company=" + baEncodeFormValue(edtCompany->text()) + "&subject=" + baEncodeFormValue(edtSubject->text())
        + "&description=" + baEncodeFormValue(description) + "&type=Problem" + "&"
        + baEncodeFormValue(qstrGetReportProductField()) + "=" + baEncodeFormValue(qstrGetProductName(product)) + "&"
        + baEncodeFormValue(qstrGetReportVersionField()) + "="
        + baEncodeFormValue(qstrGetProductVersion(product).mid(1));
}

int frmReportError::exec()
{
    readLog();
    QLineEdit* const fields[] = {edtName, edtCompany, edtEmail, edtPhone};
    QSettings* settings = pGetUserSettings();
    for (int i = 0; i < 4; ++i)
        fields[i]->setText(settings->value(QLatin1String(kapszContactKeys[i]), QString()).toString());

    const int result = QDialog::exec();
    if (result == QDialog::Accepted) {
        vSendErrorReport(baBuildReport());
        for (int i = 0; i < 4; ++i)
            settings->setValue(QLatin1String(kapszContactKeys[i]), fields[i]->text());
    }
    return result;
}

#include "frmQXMLNetGetClipWizard.h"

#include "XMLDirParser.h"
#include "XMLGetParser.h"
#include "app/MessageBoxes.h"
#include "app/OutputFolders.h"
#include "app/ProgramState.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "mainwindow/frmMain.h"

#include <QAbstractButton>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QRegularExpression>
#include <QSettings>

QPointer<frmQXMLNetGetClipWizard> g_pClipServerWizard;

namespace {

const QStringList kQwHeaderLabels = {QStringLiteral("Name"), QStringLiteral("Duration"), QStringLiteral("Resolution"),
    QStringLiteral("StartTC"), QStringLiteral("Frame Rate"), QStringLiteral("Video/Audio"), QStringLiteral("Scan")};

// Server names read back from the settings: at most this many, each at most this long.
constexpr int kiQwMaximumServers = 100;
constexpr int kiQwMaximumServerName = 255;

// The start folder of the choosers: a network path (two leading slashes of either kind)
// cannot be browsed, so the choosers start without one.
QString qstrQwStartFolder(const QString& folder)
{
    if (folder.startsWith(QLatin1String("\\\\")) || folder.startsWith(QLatin1String("//")))
        return QString();
    return folder;
}

// Whether a reported file lies inside the folder (after resolving "." and ".." parts).
bool bQwInsideFolder(const QString& file, const QString& folder)
{
    if (file.isEmpty() || folder.isEmpty())
        return false;
    const QString root = QDir::cleanPath(QDir(folder).absolutePath());
    const QString path = QDir::cleanPath(QDir(root).absoluteFilePath(file));
    return path.startsWith(root + QLatin1Char('/')) && path.size() > root.size() + 1;
}

} // namespace

frmQXMLNetGetClipWizard::frmQXMLNetGetClipWizard(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags)
    : QWizard(parent, flags)
{
    setupUi(this);
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(modal);
    m_tmrListing.setSingleShot(true);
    connect(&m_tmrListing, &QTimer::timeout, this, &frmQXMLNetGetClipWizard::sltListingTimedOut);
    connect(this, &QWizard::currentIdChanged, this, &frmQXMLNetGetClipWizard::sltPageShown);
    init();
}

frmQXMLNetGetClipWizard::~frmQXMLNetGetClipWizard()
{
    // The programs are children and end with the wizard, reporting their end as they go;
    // by then the wizard's widgets are gone, so nothing of theirs may reach it.
    const QList<QProcess*> processes = findChildren<QProcess*>(Qt::FindDirectChildrenOnly);
    for (QProcess* process : processes) {
        disconnect(process, nullptr, this, nullptr);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(3000);
        }
    }
    m_tmrListing.stop();
}

void frmQXMLNetGetClipWizard::init()
{
    const QIcon open(qpixGetResourcePixmap(QStringLiteral("/Resources/FileOpen.png"))
                         .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    btnChooseDestFolder->setIcon(open);
    btnChooseDestFileName->setIcon(open);

    for (CWKLineEditInt* field : {iedtStartHH, iedtLengthHH})
        field->vSetRange(0, 99);
    for (CWKLineEditInt* field : {iedtStartMM, iedtStartSS, iedtLengthMM, iedtLengthSS})
        field->vSetRange(0, 59);
    for (CWKLineEditInt* field : {iedtStartFF, iedtLengthFF})
        field->vSetRange(0, 99);
    iedtDestXSize->vSetRange(2, 10000);
    for (CWKLineEditInt* field : {iedtStartHH, iedtStartMM, iedtStartSS, iedtStartFF, iedtLengthHH, iedtLengthMM,
             iedtLengthSS, iedtLengthFF, iedtDestXSize}) {
        field->vSetShowBar(false);
        // The fields start empty: an empty time code is not passed on.
        field->clear();
    }
    tedtXMLOutput->setMinimumSize(1, 1);
    const QList<int> sizes = qsplSplitter->sizes();
    int total = 0;
    for (int size : sizes)
        total += size;
    if (total < 2)
        total = 300;
    qsplSplitter->setSizes({total - 1, 1});

    QSettings* settings = pGetUserSettings();
    edtDestFolder->setText(settings->value(QStringLiteral("LastQXMLNetSaveClipFolder"), QString()).toString());
    cboxDestFormat->clear();
    cboxDestFormat->addItem(QStringLiteral("dpx"));
    bool ok = false;
    const int format = settings->value(QStringLiteral("LastQXMLNetSaveClipFormat"), 0).toInt(&ok);
    if (ok && format >= 0 && format < cboxDestFormat->count())
        cboxDestFormat->setCurrentIndex(format);
    const QStringList servers = settings->value(QStringLiteral("QXMLNetClipServers"), QString())
                                    .toString()
                                    .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& server : servers) {
        if (cboxServer->count() >= kiQwMaximumServers)
            break;
        if (server.size() <= kiQwMaximumServerName && cboxServer->findText(server) < 0)
            cboxServer->addItem(server);
    }
    cboxServer->setDuplicatesEnabled(false);

    connect(tblFiles, &QTableWidget::itemClicked, this, &frmQXMLNetGetClipWizard::tblFiles_clicked);
    connect(btnChooseDestFolder, &QPushButton::clicked, this, &frmQXMLNetGetClipWizard::btnChooseFolder_clicked);
    connect(btnChooseDestFileName, &QPushButton::clicked, this, &frmQXMLNetGetClipWizard::btnChooseFileName_clicked);
    connect(edtFileName, &QLineEdit::textChanged, this, &frmQXMLNetGetClipWizard::edtFileName_textChanged);
    if (g_pMainWindow)
        connect(this, &QWizard::helpRequested, g_pMainWindow, &frmMain::actHelp_activated);
    connect(btnConnect, &QPushButton::clicked, this, &frmQXMLNetGetClipWizard::sltXMLDir);
    connect(cboxServer, qOverload<int>(&QComboBox::activated), this, &frmQXMLNetGetClipWizard::sltXMLDir);
    connect(edtMask, &QLineEdit::returnPressed, this, &frmQXMLNetGetClipWizard::sltXMLDir);
    // Return also ends the edit, and one listing is enough for it.
    connect(edtMask, &QLineEdit::editingFinished, this, [this] {
        if (!edtMask->hasFocus())
            sltXMLDir();
    });

    pgSpecifyClip->setTitle(QStringLiteral("Specify Clip"));
    pgSpecifyDestination->setTitle(QStringLiteral("Specify Destination"));
    pgTransfer->setTitle(QStringLiteral("Transfer Progress"));
    tblFiles->setColumnCount(7);
    tblFiles->verticalHeader()->hide();
    vClearTable();
    reset();
}

void frmQXMLNetGetClipWizard::reset()
{
    restart();
    m_qstrNameOfOneFileTransferred.clear();
    tedtXMLOutput->clear();
    // Programs of an earlier use are ended; nothing they still print reaches this use.
    vStopProcess(m_pListing, false);
    vStopProcess(m_pTransfer, false);
    m_tmrListing.stop();
    vClearTable();
    cboxServer->setCurrentText(
        pGetUserSettings()->value(QStringLiteral("QXMLNetLastClipServer"), QString()).toString());
    sltXMLDir();
    pgSpecifyClip->vSetComplete(false);
}

void frmQXMLNetGetClipWizard::vClearTable()
{
    tblFiles->clear();
    tblFiles->setRowCount(0);
    tblFiles->setHorizontalHeaderLabels(kQwHeaderLabels);
    m_iChosenRow = -1;
}

void frmQXMLNetGetClipWizard::sltXMLDir()
{
    vClearTable();
    if (!cboxServer->currentText().isEmpty())
        bStartListing(cboxServer->currentText(), edtMask->text());
    edtFileName->clear();
    pgSpecifyClip->vSetComplete(false);
}

bool frmQXMLNetGetClipWizard::bStartListing(const QString& server, const QString& mask)
{
    const QString program = qstrGetInstallPath(QStringLiteral("bin/XMLDir.exe"));
    // A listing still running is ended: only the newest one fills the table.
    vStopProcess(m_pListing, false);
    m_tmrListing.stop();
    if (!QFileInfo(program).isFile()) {
        vShowInformation(this, QStringLiteral("Could not execute %1. File not found.").arg(program));
        return false;
    }
    m_qstrListingProgram = program;
    m_qstrListingMask = mask;
    m_qstrListingServer = server;
    m_qstrListingOutput.clear();
    m_baListingErrors.clear();
    m_bListingRefused = false;
    auto* process = new QProcess(this);
    m_pListing = process;
    connect(process, &QProcess::finished, this, &frmQXMLNetGetClipWizard::readXMLDirOutput);
    connect(process, &QProcess::readyReadStandardOutput, this, &frmQXMLNetGetClipWizard::readXMLDirOutputChunk);
    connect(process, &QProcess::readyReadStandardError, this, &frmQXMLNetGetClipWizard::vCollectErrorOutput);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && process == m_pListing) {
            vShowListingFailure(QString(), tr("The program could not be started: %1").arg(process->errorString()));
            vStopProcess(m_pListing, false);
        }
    });
    process->start(
        program, {mask.isEmpty() ? QStringLiteral("*") : mask, QStringLiteral("-so"), server}, QIODevice::ReadWrite);
    m_tmrListing.start(m_iListingTimeoutMs);
    return true;
}

void frmQXMLNetGetClipWizard::vCollectErrorOutput()
{
    auto* process = qobject_cast<QProcess*>(sender());
    if (!process || process != m_pListing)
        return;
    const QByteArray bytes = process->readAllStandardError();
    if (m_baListingErrors.size() < kiMaximumErrorOutputBytes)
        m_baListingErrors += bytes.left(kiMaximumErrorOutputBytes - m_baListingErrors.size());
}

void frmQXMLNetGetClipWizard::readXMLDirOutputChunk()
{
    auto* process = qobject_cast<QProcess*>(sender());
    if (!process || process != m_pListing)
        return;
    vTakeListingOutput(process->readAllStandardOutput());
}

void frmQXMLNetGetClipWizard::vTakeListingOutput(const QByteArray& bytes)
{
    if (m_bListingRefused)
        return;
    if (m_qstrListingOutput.size() + bytes.size() > kiMaximumListingBytes) {
        m_bListingRefused = true;
        m_qstrListingOutput.clear();
        m_tmrListing.stop();
        vStopProcess(m_pListing, false);
        vShowListingFailure(QString(),
            tr("The listing is longer than the %1 bytes a listing may have, so it was not read.")
                .arg(kiMaximumListingBytes));
        return;
    }
    m_qstrListingOutput += QString::fromLatin1(bytes);
    if (tedtXMLOutput->height() > 1)
        tedtXMLOutput->setPlainText(m_qstrListingOutput);
}

void frmQXMLNetGetClipWizard::readXMLDirOutput(int exitCode, QProcess::ExitStatus status)
{
    auto* process = qobject_cast<QProcess*>(sender());
    if (!process || process != m_pListing)
        return;
    m_tmrListing.stop();
    const QByteArray remaining = process->readAllStandardOutput();
    vCollectErrorOutput();
    if (!remaining.isEmpty())
        vTakeListingOutput(remaining);
    if (m_pListing != process)
        return;
    m_pListing = nullptr;
    process->deleteLater();
    vFinishListing(exitCode, status, m_baListingErrors);
}

void frmQXMLNetGetClipWizard::vFinishListing(int exitCode, QProcess::ExitStatus status, const QByteArray& errorOutput)
{
    if (m_bListingRefused)
        return;
    const QString errors = QString::fromLocal8Bit(errorOutput.left(kiMaximumErrorOutputBytes)).trimmed();
    if (status != QProcess::NormalExit) {
        vShowListingFailure(errors, tr("The program did not end normally."));
        return;
    }
    if (exitCode != 0) {
        vShowListingFailure(errors, tr("The program ended with exit code %1.").arg(exitCode));
        return;
    }
    static const QRegularExpression kLoneAmpersand(QStringLiteral("&(?!amp;)"));
    m_qstrListingOutput.replace(kLoneAmpersand, QStringLiteral("&amp;"));
    const QString closing = QStringLiteral("</COMPLETE>");
    const int end = m_qstrListingOutput.indexOf(closing);
    if (m_qstrListingOutput.isEmpty() || end < 0) {
        vShowListingFailure(m_qstrListingOutput.isEmpty() ? errors : m_qstrListingOutput, QString());
        return;
    }
    m_qstrListingOutput.truncate(end + closing.size());
    tedtXMLOutput->setPlainText(m_qstrListingOutput);
    XMLDirParser parser;
    parser.vRead(m_qstrListingOutput.toUtf8());
    vFillTable(parser.qslGetClipLines());
    cboxDestFormat->clear();
    cboxDestFormat->addItems({QStringLiteral("tif"), QStringLiteral("dpx")});
    cboxDestFormat->setCurrentIndex(0);
    const QString server = cboxServer->currentText();
    if (!server.isEmpty() && cboxServer->findText(server) < 0 && cboxServer->count() < kiQwMaximumServers)
        cboxServer->addItem(server);
    if (parser.qslGetClipLines().isEmpty() && !parser.qstrGetError().isEmpty())
        vShowListingFailure(m_qstrListingOutput, tr("The listing could not be read: %1").arg(parser.qstrGetError()));
}

void frmQXMLNetGetClipWizard::vShowListingFailure(const QString& output, const QString& reason)
{
    QString text
        = m_qstrListingProgram + QLatin1Char(' ') + m_qstrListingMask + QStringLiteral(" -so ") + m_qstrListingServer;
    tedtXMLOutput->setPlainText(text);
    if (!output.isEmpty())
        tedtXMLOutput->append(output);
    if (!reason.isEmpty())
        tedtXMLOutput->append(reason);
    // The view is folded away until something goes wrong; then the user has to see it.
    const QList<int> sizes = qsplSplitter->sizes();
    if (sizes.size() == 2 && sizes[1] < 40) {
        const int total = std::max(sizes[0] + sizes[1], 80);
        qsplSplitter->setSizes({total / 2, total - total / 2});
    }
}

void frmQXMLNetGetClipWizard::sltListingTimedOut()
{
    if (!m_pListing)
        return;
    vStopProcess(m_pListing, false);
    vShowListingFailure(m_qstrListingOutput,
        tr("The listing did not end within %1 seconds and was stopped.").arg(m_iListingTimeoutMs / 1000.0));
}

void frmQXMLNetGetClipWizard::vFillTable(const QStringList& clipLines)
{
    vClearTable();
    const int rows = int(std::min<qsizetype>(clipLines.size(), kiMaximumListedClips));
    tblFiles->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const QStringList cells = qslSplitClipLine(clipLines[row]);
        for (int column = 0; column < 7; ++column)
            tblFiles->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
}

void frmQXMLNetGetClipWizard::tblFiles_clicked(QTableWidgetItem* item)
{
    if (!item)
        return;
    const int row = item->row();
    QTableWidgetItem* name = tblFiles->item(row, 0);
    if (!name)
        return;
    // The clicked row is the choice, also when another row's cell starts with its name.
    m_bCompleting = true;
    edtFileName->setText(name->text());
    m_bCompleting = false;
    tblFiles->setCurrentItem(name);
    m_iChosenRow = row;
    pgSpecifyClip->vSetComplete(true);
}

void frmQXMLNetGetClipWizard::edtFileName_textChanged(const QString& text)
{
    if (m_bCompleting)
        return;
    const int cursor = edtFileName->cursorPosition();
    const QString prefix = text.left(cursor);
    QTableWidgetItem* found = nullptr;
    if (!prefix.isEmpty()) {
        for (int row = 0; row < tblFiles->rowCount() && !found; ++row) {
            for (int column = 0; column < tblFiles->columnCount() && !found; ++column) {
                QTableWidgetItem* cell = tblFiles->item(row, column);
                if (cell && cell->text().startsWith(prefix, Qt::CaseInsensitive))
                    found = cell;
            }
        }
    }
    QTableWidgetItem* name = found ? tblFiles->item(found->row(), 0) : nullptr;
    if (!name) {
        m_iChosenRow = -1;
        pgSpecifyClip->vSetComplete(false);
        return;
    }
    tblFiles->setCurrentItem(name);
    m_bCompleting = true;
    edtFileName->setText(name->text());
    edtFileName->setCursorPosition(cursor);
    m_bCompleting = false;
    m_iChosenRow = name->row();
    pgSpecifyClip->vSetComplete(true);
}

bool frmQXMLNetGetClipWizard::validateCurrentPage()
{
    if (currentPage() == pgSpecifyClip) {
        if (m_iChosenRow < 0 || m_iChosenRow >= tblFiles->rowCount())
            return false;
        vFillSourceFields(m_iChosenRow);
    } else if (currentPage() == pgSpecifyDestination) {
        if (!bValidateDestination())
            return false;
    }
    m_bAdvancing = true;
    return true;
}

void frmQXMLNetGetClipWizard::vFillSourceFields(int row)
{
    auto cell = [this, row](int column) {
        const QTableWidgetItem* item = tblFiles->item(row, column);
        return item ? item->text() : QString();
    };
    edtSrcFileName->setText(cell(0));
    edtSrcDuration->setText(cell(1));
    edtSrcResolution->setText(cell(2));
    edtSrcP4->setText(cell(3));
    edtSrcFrameRate->setText(cell(4));
    edtSrcVA->setText(cell(5));
    edtSrcScan->setText(cell(6));

    // The received files are named after the clip without its trailing frame digits.
    QString fileName = cell(0);
    int last = int(fileName.size()) - 1;
    while (last >= 0 && fileName.at(last).isDigit())
        --last;
    if (last >= 0)
        fileName.truncate(last + 1);
    edtDestFileName->setText(fileName.replace(QLatin1Char('&'), QLatin1Char('_')));

    const QString resolution = cell(2);
    const int x = resolution.indexOf(QLatin1Char('x'));
    iedtDestXSize->setText(x < 0 ? resolution : resolution.left(x));

    bool ok = false;
    const unsigned int rate = cell(4).toUInt(&ok);
    // A rate that is not a whole number of at most 1000 frames leaves the frames fields as they were.
    if (ok && rate >= 1 && rate <= 1000) {
        iedtStartFF->vSetRange(0, int(rate) - 1);
        iedtLengthFF->vSetRange(0, int(rate) - 1);
    }
}

QString frmQXMLNetGetClipWizard::qstrTimecodeFrom(
    QLineEdit* hours, QLineEdit* minutes, QLineEdit* seconds, QLineEdit* frames)
{
    const QList<QLineEdit*> fields = {hours, minutes, seconds, frames};
    bool allEmpty = true;
    for (QLineEdit* field : fields)
        allEmpty = allEmpty && field->text().isEmpty();
    if (allEmpty)
        return QString();
    QStringList parts;
    for (QLineEdit* field : fields) {
        if (field->text().isEmpty())
            field->setText(QStringLiteral("00"));
        parts.append(field->text());
    }
    return parts.join(QLatin1Char(':'));
}

void frmQXMLNetGetClipWizard::vStoreSettings()
{
    QSettings* settings = pGetUserSettings();
    QString servers;
    for (int i = 0; i < cboxServer->count(); ++i)
        servers += cboxServer->itemText(i) + QLatin1Char(';');
    settings->setValue(QStringLiteral("QXMLNetClipServers"), servers);
    settings->setValue(QStringLiteral("QXMLNetLastClipServer"), cboxServer->currentText());
    settings->setValue(QStringLiteral("LastQXMLNetSaveClipFolder"), edtDestFolder->text());
    settings->setValue(QStringLiteral("LastQXMLNetSaveClipFormat"), cboxDestFormat->currentIndex());
}

bool frmQXMLNetGetClipWizard::bValidateDestination()
{
    pgTransfer->vSetComplete(false);
    const QString start = qstrTimecodeFrom(iedtStartHH, iedtStartMM, iedtStartSS, iedtStartFF);
    const QString length = qstrTimecodeFrom(iedtLengthHH, iedtLengthMM, iedtLengthSS, iedtLengthFF);
    vStoreSettings();

    const QString base = edtDestFolder->text();
    if (base.trimmed().isEmpty()) {
        // Without a folder the subfolder would land wherever the program happens to run.
        vShowInformation(this,
            QStringLiteral("When specifying the local folder ('Destination Netork Path')\nto which files will "
                           "transferred from %1,\nspecify the name of the folder as seen from from %2.\n\nExample: "
                           "'//thiscomputer/sharedfolder'")
                .arg(cboxServer->currentText(), cboxServer->currentText()));
        return false;
    }
    const QString shownBase = QDir(base).absolutePath() + QDir::separator();
    if (!QFileInfo(base).isDir() && !QDir().mkdir(base)) {
        vShowCritical(this, QStringLiteral("Unable to create temporary folder %1").arg(shownBase));
        return false;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("dd-MM-yyyy-hh-mm-ss"));
    if (!QDir(base).mkdir(stamp)) {
        vShowCritical(this, QStringLiteral("Unable to create temporary folder %1").arg(shownBase));
        return false;
    }
    QString destination = QDir(base).absoluteFilePath(stamp);
    while (destination.size() > 1 && destination.endsWith(QLatin1Char('/')))
        destination.chop(1);
    bStartTransfer(edtSrcFileName->text(), destination, edtDestFileName->text(), start, length,
        cboxDestFormat->currentText(), iedtDestXSize->text(), cboxServer->currentText());
    return true;
}

void frmQXMLNetGetClipWizard::sltPageShown(int id)
{
    const bool advancing = m_bAdvancing;
    m_bAdvancing = false;
    if (!advancing)
        return;
    if (page(id) == pgSpecifyDestination && edtDestFolder->text().isEmpty())
        vShowInformation(this,
            QStringLiteral("When specifying the local folder ('Destination Netork Path')\nto which files will "
                           "transferred from %1,\nspecify the name of the folder as seen from from %2.\n\nExample: "
                           "'//thiscomputer/sharedfolder'")
                .arg(cboxServer->currentText(), cboxServer->currentText()));
    if (QAbstractButton* finish = button(QWizard::FinishButton))
        finish->setFocus(Qt::OtherFocusReason);
}

bool frmQXMLNetGetClipWizard::bStartTransfer(const QString& source, const QString& folder, const QString& fileName,
    const QString& start, const QString& length, const QString& format, const QString& xSize, const QString& server)
{
    const QString program = qstrGetInstallPath(QStringLiteral("bin/XMLGet.exe"));
    if (!QFileInfo(program).isFile()) {
        vShowInformation(this, QStringLiteral("Could not execute %1. File not found.").arg(program));
        return false;
    }
    // One transfer at a time: an earlier one still running is ended first.
    vStopProcess(m_pTransfer, false);
    QStringList arguments = {source};
    const std::pair<const char*, QString> options[] = {{"-fd", folder}, {"-fn", fileName}, {"-ts", start},
        {"-tl", length}, {"-fo", format}, {"-dx", xSize}, {"-so", server}};
    for (const auto& [option, value] : options) {
        if (!value.isEmpty())
            arguments << QString::fromLatin1(option) << value;
    }
    if (!folder.isEmpty())
        qslGetReceivedClipFolders().append(folder);
    QString command = program + QLatin1Char(' ');
    for (const QString& argument : arguments)
        command += argument + QLatin1Char(' ');
    vBeginProgress(command, folder);

    auto* process = new QProcess(this);
    m_pTransfer = process;
    connect(process, &QProcess::readyReadStandardOutput, this, &frmQXMLNetGetClipWizard::readXMLGetOutput);
    connect(process, &QProcess::finished, this, &frmQXMLNetGetClipWizard::XMLGetFinished);
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart && process == m_pTransfer) {
            vStopProcess(m_pTransfer, false);
            tedtTransferInfo->append(QStringLiteral(" "));
            tedtTransferInfo->append(tr("Transfer failed: the program could not be started."));
        }
    });
    // Its error output is not read.
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments, QIODevice::ReadWrite);
    return true;
}

void frmQXMLNetGetClipWizard::vBeginProgress(const QString& commandText, const QString& destinationFolder)
{
    m_qstrCommand = commandText;
    m_qstrDestinationFolder = destinationFolder;
    m_pProgress = std::make_unique<XMLGetParser>();
    m_pProgress->vAddData(QByteArrayLiteral("<XMLGETDOC>"));
    m_iProgressBytes = 0;
    tedtTransferInfo->clear();
}

void frmQXMLNetGetClipWizard::readXMLGetOutput()
{
    auto* process = qobject_cast<QProcess*>(sender());
    if (!process || process != m_pTransfer)
        return;
    vTakeTransferOutput(process->readAllStandardOutput());
}

void frmQXMLNetGetClipWizard::vTakeTransferOutput(const QByteArray& bytes)
{
    if (!m_pProgress || bytes.isEmpty())
        return;
    // Beyond the bound nothing more is read; the end of the transfer still counts.
    const qsizetype room = kiMaximumProgressBytes - m_iProgressBytes;
    if (room <= 0)
        return;
    m_iProgressBytes += std::min(room, bytes.size());
    m_pProgress->vAddData(bytes.left(room));
    const QString status = m_pProgress->qstrGetStatus();
    if (!status.isEmpty()) {
        tedtTransferInfo->setPlainText(m_qstrCommand);
        tedtTransferInfo->append(QStringLiteral(" "));
        tedtTransferInfo->append(status);
    }
    // Only a file inside the transfer's own folder may be handed back as the received clip.
    const QString file = m_pProgress->qstrGetFileName();
    if (bQwInsideFolder(file, m_qstrDestinationFolder))
        m_qstrNameOfOneFileTransferred = QDir::cleanPath(QDir(m_qstrDestinationFolder).absoluteFilePath(file));
}

void frmQXMLNetGetClipWizard::XMLGetFinished(int exitCode, QProcess::ExitStatus status)
{
    auto* process = qobject_cast<QProcess*>(sender());
    if (!process || process != m_pTransfer)
        return;
    m_pTransfer = nullptr;
    process->deleteLater();
    vFinishTransfer(exitCode, status, process->readAllStandardOutput());
}

void frmQXMLNetGetClipWizard::vFinishTransfer(
    int exitCode, QProcess::ExitStatus status, const QByteArray& remainingOutput)
{
    if (status == QProcess::NormalExit && exitCode == 0) {
        vTakeTransferOutput(remainingOutput + QByteArrayLiteral("</XMLGETDOC>"));
        pgTransfer->vSetComplete(true);
        tedtTransferInfo->append(QStringLiteral(" "));
        tedtTransferInfo->append(QStringLiteral("DONE!"));
        return;
    }
    tedtTransferInfo->append(QStringLiteral(" "));
    tedtTransferInfo->append(status == QProcess::NormalExit
            ? tr("Transfer failed: the program ended with exit code %1.").arg(exitCode)
            : tr("Transfer failed: the program was stopped before it finished."));
}

void frmQXMLNetGetClipWizard::btnChooseFolder_clicked()
{
    QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("Choose a directory"),
        qstrQwStartFolder(edtDestFolder->text()), QFileDialog::ShowDirsOnly);
    edtDestFolder->setText(folder.replace(QLatin1Char('\\'), QLatin1Char('/')));
}

void frmQXMLNetGetClipWizard::btnChooseFileName_clicked()
{
    const QString start = qstrQwStartFolder(edtDestFolder->text());
    // The dialog starts in the process's current folder for the time of the question.
    const QString previous = QDir::currentPath();
    if (!start.isEmpty())
        QDir::setCurrent(start);
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Choose a file name"), start);
    QDir::setCurrent(previous);
    int separator = int(chosen.lastIndexOf(QLatin1Char('/')));
    if (separator < 0)
        separator = int(chosen.lastIndexOf(QLatin1Char('\\')));
    edtDestFileName->setText(chosen.mid(separator + 1));
}

void frmQXMLNetGetClipWizard::vStopProcess(QPointer<QProcess>& reference, bool terminateFirst)
{
    QProcess* process = reference.data();
    reference = nullptr;
    if (!process)
        return;
    disconnect(process, nullptr, this, nullptr);
    if (process->state() == QProcess::NotRunning) {
        process->deleteLater();
        return;
    }
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
    if (!terminateFirst) {
        process->kill();
        return;
    }
    process->terminate();
    QTimer::singleShot(kiKillDelayMs, Qt::PreciseTimer, process, [process] {
        if (process->state() != QProcess::NotRunning)
            process->kill();
    });
}

void frmQXMLNetGetClipWizard::reject()
{
    m_tmrListing.stop();
    vStopProcess(m_pTransfer, true);
    vStopProcess(m_pListing, true);
    QDialog::reject();
}

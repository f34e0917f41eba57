// Fetches one clip from a clip server into a local folder. Two programs under the
// installation folder do the work: bin/XMLDir.exe lists the server's clips and
// bin/XMLGet.exe transfers one; the wizard runs them and reads the XML they print.
#pragma once

#include "ui_frmQXMLNetGetClipWizard.h"

#include <QPointer>
#include <QProcess>
#include <QTimer>
#include <QWizard>
#include <memory>

class XMLGetParser;

class frmQXMLNetGetClipWizard : public QWizard, public Ui::frmQXMLNetGetClipWizard {
    Q_OBJECT
public:
    frmQXMLNetGetClipWizard(QWidget* parent, const char* name, bool modal, Qt::WindowFlags flags);
    ~frmQXMLNetGetClipWizard() override;

    // Bounds on what a listing may bring: its bytes, its clips, and the time it may take.
    static constexpr qsizetype kiMaximumListingBytes = 4 * 1024 * 1024;
    static constexpr int kiMaximumListedClips = 10000;
    static constexpr int kiDefaultListingTimeoutMs = 60000;
    // A transfer's progress output is read up to this many bytes; error output is kept up
    // to the second bound.
    static constexpr qsizetype kiMaximumProgressBytes = 64 * 1024 * 1024;
    static constexpr qsizetype kiMaximumErrorOutputBytes = 64 * 1024;
    // A cancelled program that has not ended this long after the terminate request is killed.
    static constexpr int kiKillDelayMs = 5000;

    void vSetListingTimeout(int milliseconds) { m_iListingTimeoutMs = milliseconds; }

    // What the programs' handlers do with output, also for output that did not come from a
    // running process: a listing chunk and a listing's end; the start of a progress display
    // under a command text, a progress chunk and a transfer's end.
    void vTakeListingOutput(const QByteArray& bytes);
    void vFinishListing(int exitCode, QProcess::ExitStatus status, const QByteArray& errorOutput);
    void vBeginProgress(const QString& commandText, const QString& destinationFolder);
    void vTakeTransferOutput(const QByteArray& bytes);
    void vFinishTransfer(int exitCode, QProcess::ExitStatus status, const QByteArray& remainingOutput);

    // The listing and transfer programs while they are current.
    QProcess* pGetListingProcess() const { return m_pListing; }
    QProcess* pGetTransferProcess() const { return m_pTransfer; }
    // The table row that Next takes, -1 when none is chosen.
    int iGetChosenRow() const { return m_iChosenRow; }

public slots:
    void init();
    void reset();
    void tblFiles_clicked(QTableWidgetItem* item);
    void sltXMLDir();
    void readXMLDirOutputChunk();
    void readXMLDirOutput(int exitCode, QProcess::ExitStatus status);
    void readXMLGetOutput();
    void XMLGetFinished(int exitCode, QProcess::ExitStatus status);
    void btnChooseFolder_clicked();
    void btnChooseFileName_clicked();
    void edtFileName_textChanged(const QString& text);
    // The path of one file of the received clip, inside the transfer's destination folder;
    // empty when none was reported.
    QString qstrGetNameOfOneFileTransferred() const { return m_qstrNameOfOneFileTransferred; }
    void reject() override;

protected:
    // Next: page 1 fills the source fields from the chosen row; page 2 makes the destination
    // folder and starts the transfer, and stays when the folder cannot be made.
    bool validateCurrentPage() override;

private:
    bool bStartListing(const QString& server, const QString& mask);
    bool bStartTransfer(const QString& source, const QString& folder, const QString& fileName, const QString& start,
        const QString& length, const QString& format, const QString& xSize, const QString& server);
    void vClearTable();
    void vFillTable(const QStringList& clipLines);
    void vShowListingFailure(const QString& output, const QString& reason);
    void vStopProcess(QPointer<QProcess>& process, bool terminateFirst);
    void vCollectErrorOutput();
    void vFillSourceFields(int row);
    bool bValidateDestination();
    void sltPageShown(int id);
    void sltListingTimedOut();
    void vStoreSettings();
    // The start fields (or the length fields) as "hh:mm:ss:ff"; empty when all four are.
    QString qstrTimecodeFrom(QLineEdit* hours, QLineEdit* minutes, QLineEdit* seconds, QLineEdit* frames);

    QString m_qstrCommand;
    QString m_qstrNameOfOneFileTransferred;
    QPointer<QProcess> m_pListing;
    QPointer<QProcess> m_pTransfer;
    QString m_qstrListingOutput;
    QByteArray m_baListingErrors;
    // The listing outgrew its bound: the rest of it and its end are not read.
    bool m_bListingRefused = false;
    // What the failure text shows of the listing's command.
    QString m_qstrListingProgram;
    QString m_qstrListingMask;
    QString m_qstrListingServer;
    std::unique_ptr<XMLGetParser> m_pProgress;
    qsizetype m_iProgressBytes = 0;
    QString m_qstrDestinationFolder;
    int m_iChosenRow = -1;
    bool m_bCompleting = false;
    bool m_bAdvancing = false;
    int m_iListingTimeoutMs = kiDefaultListingTimeoutMs;
    QTimer m_tmrListing;
};

// The program's one clip-server wizard, shared by the relink and sparse-clip dialogs; null
// while none exists.
extern QPointer<frmQXMLNetGetClipWizard> g_pClipServerWizard;

#include "frmSparseClip.h"

#include "app/FileDialogs.h"
#include "app/MessageBoxes.h"
#include "app/ProgramState.h"
#include "app/ProjectManagerInstance.h"
#include "app/ResourceLoading.h"
#include "app/Settings.h"
#include "brandor.h"
#include "clips/frmQXMLNetGetClipWizard.h"
#include "mainwindow/frmMain.h"
#include "tamsin.h"
#include "velmor.h"
#include "widgets/CWKSlider.h"
#include "widgets/CWKTableItemUInt.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSettings>
#include <cstring>
#include <limits>
#include <memory>

namespace {

const QString kScAllFrames = QStringLiteral("All");

bool bScFields(const CW_BaseClipInfo& base)
{
    return base.iFieldMode == CW_UPPER_FIELD_FIRST || base.iFieldMode == CW_LOWER_FIELD_FIRST;
}

// The displayed frame number of an engine frame index is index + offset, both halved for
// clips with separated fields, whose indices count fields.
long long iScShownOffset(const CW_BaseClipInfo& base)
{
    return bScFields(base) ? base.iFrameOffset / 2 : base.iFrameOffset;
}

// Whether a path fits the record's path field with its terminating NUL.
bool bScFitsRecord(const QString& path)
{
    return size_t(path.toUtf8().size()) < CW_DiscreteFrame::kuiPathBytes;
}

// The record's path, read no further than its field.
QString qstrScRecordPath(const CW_DiscreteFrame& record)
{
    const void* end = std::memchr(record.acPath, 0, CW_DiscreteFrame::kuiPathBytes);
    const size_t length = end ? size_t(static_cast<const char*>(end) - record.acPath) : CW_DiscreteFrame::kuiPathBytes;
    return QString::fromUtf8(record.acPath, qsizetype(length));
}

void vScFillRecord(CW_DiscreteFrame& record, const QString& path, int frame)
{
    const QByteArray utf8 = path.toUtf8();
    if (size_t(utf8.size()) >= CW_DiscreteFrame::kuiPathBytes)
        throw CW_Exception(QStringLiteral("The path of the image %1 is longer than a sparse clip can hold (%2 bytes).")
                               .arg(path)
                               .arg(CW_DiscreteFrame::kuiPathBytes - 1)
                               .toStdString(),
            "frmSparseClip: path too long");
    std::memset(record.acPath, 0, sizeof(record.acPath));
    std::memcpy(record.acPath, utf8.constData(), size_t(utf8.size()));
    record.iFrame = frame;
}

// The file name part of a path, from its last separator on; empty without a separator.
QString qstrScNamePart(const QString& nativePath)
{
    const int separator = int(nativePath.lastIndexOf(QDir::separator()));
    return separator < 0 ? QString() : nativePath.mid(separator);
}

} // namespace

frmSparseClip::frmSparseClip(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
{
    setupUi(this);
    btnAddFramesFromDisk->setIcon(QIcon(qpixGetResourcePixmap(QStringLiteral("/Resources/FileOpen.png"))
                                            .scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    btnAddFramesFromqXMLNet->hide();
    tblFrames->setHorizontalHeaderLabels({QStringLiteral("File"), QStringLiteral("Frame Number")});
    tblFrames->verticalHeader()->hide();
    tblFrames->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);

    connect(buttonOk, &QPushButton::clicked, this, &frmSparseClip::buttonOk_clicked);
    connect(buttonCancel, &QPushButton::clicked, this, &frmSparseClip::buttonCancel_clicked);
    connect(buttonHelp, &QPushButton::clicked, this, &frmSparseClip::buttonHelp_clicked);
    connect(btnAddFramesFromDisk, &QPushButton::clicked, this, &frmSparseClip::btnAddFramesFromDisk_clicked);
    connect(btnAddFramesFromqXMLNet, &QPushButton::clicked, this, &frmSparseClip::btnAddFramesFromqXMLNet_clicked);
    connect(btnPreview, &QToolButton::toggled, this, &frmSparseClip::btnPreview_toggled);
    connect(tblFrames, &QTableWidget::itemSelectionChanged, this, &frmSparseClip::tblFrames_itemSelectionChanged);
    connect(tblFrames, &QTableWidget::itemPressed, this, &frmSparseClip::sltItemPressed);
}

Tam_List* frmSparseClip::pglNewFrameList(const CW_ClipInfo& clip)
{
    Tam_List* list = tam_list_new(nullptr);
    for (const CW_DiscreteFrame& frame : clip.vecDiscreteFrames)
        tam_list_insert_next(list, tam_list_tail(list), new CW_DiscreteFrame(frame));
    return list;
}

void frmSparseClip::vFreeFrameList(Tam_List*& list)
{
    for (Tam_ListElement* element = tam_list_head(list); element; element = tam_list_next(element))
        delete static_cast<CW_DiscreteFrame*>(tam_list_data(element));
    tam_list_free(list);
    list = nullptr;
}

void frmSparseClip::vSetRow(int row, const QString& path, const QString& frame)
{
    auto* file = new QTableWidgetItem(path);
    file->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    auto* number = new CWKTableItemUInt(frame);
    number->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsEnabled);
    tblFrames->setItem(row, 0, file);
    tblFrames->setItem(row, 1, number);
}

void frmSparseClip::vAddFramesToTable(CW_Instance project, Tam_List* frames, QString namePrefix, CW_CLIP_ID sourceClip)
{
    const QSignalBlocker blocker(tblFrames);
    if (tam_list_size(frames) == 0) {
        tblFrames->setRowCount(0);
    } else {
        const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, sourceClip);
        const CW_ClipInfo* clip = pcstctGetClipInfo(project, sourceClip);
        const bool fields = base && bScFields(*base);
        const long long offset = base ? iScShownOffset(*base) : 0;
        tblFrames->setRowCount(0);
        tblFrames->setRowCount(tam_list_size(frames));
        int row = 0;
        for (Tam_ListElement* element = tam_list_head(frames); element; element = tam_list_next(element), ++row) {
            const auto* record = static_cast<const CW_DiscreteFrame*>(tam_list_data(element));
            if (!record)
                continue;
            const long long index = fields ? record->iFrame / 2 : record->iFrame;
            vSetRow(row, qstrScRecordPath(*record), QString::number(index + offset));
        }
        if (tam_list_size(frames) == 1 && clip && clip->bAllFrames)
            tblFrames->item(0, 1)->setText(kScAllFrames);
        btnPreview->setEnabled(true);
        tblFrames->sortItems(1, Qt::AscendingOrder);
    }
    tblFrames->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_qstrNamePrefix = namePrefix;
    m_eSourceClip = sourceClip;
}

void frmSparseClip::vAddFramesToTable(CW_Instance project, QStringList files)
{
    if (files.isEmpty())
        return;
    // A path the record cannot hold is refused whole: a cut path would name another file.
    QStringList refused;
    for (auto it = files.begin(); it != files.end();) {
        if (bScFitsRecord(QDir::toNativeSeparators(*it))) {
            ++it;
        } else {
            refused.append(*it);
            it = files.erase(it);
        }
    }
    if (!refused.isEmpty())
        vShowWarning(this,
            tr("These images cannot be added: their paths are longer than %1 bytes.\n%2")
                .arg(CW_DiscreteFrame::kuiPathBytes - 1)
                .arg(refused.join(QLatin1Char('\n'))));
    if (files.isEmpty())
        return;

    const QSignalBlocker blocker(tblFrames);
    tblFrames->setSortingEnabled(false);
    const int before = tblFrames->rowCount();
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, m_eSourceClip);
    const CW_ClipInfo* clip = pcstctGetClipInfo(project, m_eSourceClip);
    const long long offset = base ? iScShownOffset(*base) : 0;
    const long long first = clip ? clip->iFirstFileNumber : 0;
    const long long last = clip ? clip->iLastFileNumber : -1;
    // The frame number is the last run of digits of the file's name without its extension.
    static const QRegularExpression kNumbered(QStringLiteral("(.*\\D)?(\\d+)(.*)$"));
    int added = 0;
    tblFrames->setRowCount(before + int(files.size()));
    for (const QString& file : files) {
        const QString path = QDir::toNativeSeparators(file);
        const QString name = qstrScNamePart(path);
        bool relinked = false;
        if (!name.isEmpty()) {
            for (int row = 0; row < before; ++row) {
                QTableWidgetItem* item = tblFrames->item(row, 0);
                if (item && qstrScNamePart(item->text()) == name) {
                    item->setText(path);
                    relinked = true;
                }
            }
        }
        if (relinked)
            continue;
        long long index = added;
        const QRegularExpressionMatch match = kNumbered.match(QFileInfo(path).completeBaseName());
        if (match.hasMatch() && match.captured(2).size() <= 9) {
            const long long number = match.captured(2).toLongLong();
            if (number >= first && number <= last)
                index = number - first;
        }
        vSetRow(before + added, path, QString::number(index + offset));
        ++added;
    }
    tblFrames->setRowCount(before + added);
    if (before == 0 && added == 1)
        tblFrames->item(0, 1)->setText(kScAllFrames);
    tblFrames->sortItems(1, Qt::AscendingOrder);
    tblFrames->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
}

void frmSparseClip::vAddFramesToList(CW_Instance project, Tam_List** list, bool* allFrames)
{
    if (!list)
        return;
    vFreeFrameList(*list);
    if (allFrames)
        *allFrames = false;
    const int rows = tblFrames->rowCount();
    if (rows == 0)
        return;
    const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, m_eSourceClip);
    if (!base)
        throw CW_Exception("The clip of these frames is not part of the project.", "vAddFramesToList: no source clip");
    const bool fields = bScFields(*base);
    const long long offset = base->iFrameOffset;
    const long long lastIndex = base->uiCount > 0 ? (long long)(base->uiCount) - 1 : 0;
    // Every record is made before the list exists, so a refused path leaves no list behind.
    std::vector<std::unique_ptr<CW_DiscreteFrame>> records;
    for (int row = 0; row < rows; ++row) {
        const QTableWidgetItem* file = tblFrames->item(row, 0);
        const QTableWidgetItem* frame = tblFrames->item(row, 1);
        bool ok = false;
        long long value = frame ? frame->text().toUInt(&ok) : 0;
        if (fields)
            value *= 2;
        long long index = ok && value >= offset ? value - offset : 0;
        index = std::min(index, lastIndex);
        auto record = std::make_unique<CW_DiscreteFrame>();
        vScFillRecord(*record, file ? file->text() : QString(), int(index));
        records.push_back(std::move(record));
    }
    *list = tam_list_new(nullptr);
    for (auto& record : records)
        tam_list_insert_next(*list, tam_list_tail(*list), record.release());
    if (allFrames)
        *allFrames = rows == 1 && tblFrames->item(0, 1) && tblFrames->item(0, 1)->text() == kScAllFrames;
}

int frmSparseClip::iSingleSelectedRow() const
{
    int found = -1;
    for (int row = tblFrames->rowCount() - 1; row >= 0; --row) {
        const QTableWidgetItem* file = tblFrames->item(row, 0);
        const QTableWidgetItem* frame = tblFrames->item(row, 1);
        if ((file && file->isSelected()) || (frame && frame->isSelected())) {
            if (found >= 0)
                return -1;
            found = row;
        }
    }
    return found;
}

void frmSparseClip::vMakeFrameCurrentForRow(int row)
{
    CW_AutoLock(&g_mtxEngine, "vMakeFrameCurrentForRow");
    const QTableWidgetItem* item = row >= 0 ? tblFrames->item(row, 1) : nullptr;
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const CW_BaseClipInfo* base = bIsValidInstance(project) ? pcstctGetBaseClipInfo(project, m_eSourceClip) : nullptr;
    if (!item || !base)
        return;
    bool ok = false;
    long long frame = item->text().toUInt(&ok);
    if (!ok)
        return;
    if (bScFields(*base))
        frame *= 2;
    frame -= base->iFrameOffset;
    if (frame < 0 || frame >= (long long)(base->uiCount))
        return;
    if (g_pMainWindow)
        g_pMainWindow->sldrFrameNumber->setValue(int(frame));
    bMakeFrameCurrent(project, unsigned(frame));
}

void frmSparseClip::vShowPreviewForRow(int row)
{
    bCallReported(g_pMainWindow, [&] {
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        const QTableWidgetItem* file = row >= 0 ? tblFrames->item(row, 0) : nullptr;
        const CW_BaseClipInfo* base
            = bIsValidInstance(project) ? pcstctGetBaseClipInfo(project, m_eSourceClip) : nullptr;
        if (!file || !base || !g_pMainWindow)
            return;
        g_pMainWindow->vFitViewerToClip(project);
        CW_ClipInfo preview;
        preview.bSparse = true;
        CW_DiscreteFrame record;
        vScFillRecord(record, file->text(), 0);
        preview.vecDiscreteFrames.push_back(record);
        // The file is opened only to learn its format and pixel type.
        BRD_ImageIO_Router* router = pGetImageIORouter();
        CW_OpenMovieStruct movie {file->text(), {}};
        router->vOpenMovie(movie);
        router->vCloseMovie(file->text().toUtf8().constData());
        preview.iImageFormat = movie.iImageFormat;
        preview.iImageType = movie.iImageType;
        const CW_BaseClipInfo shown = *base;
        g_pMainWindow->sltInitialisePreviewImage(&shown, &preview);
        g_pMainWindow->sltUpdatePreviewImage(&shown, &preview);
        vMakeFrameCurrentForRow(row);
    });
}

void frmSparseClip::vPreviewSelection()
{
    int row = iSingleSelectedRow();
    if (row < 0 && tblFrames->rowCount() == 1)
        row = 0;
    if (row >= 0)
        vShowPreviewForRow(row);
}

void frmSparseClip::sltItemPressed(QTableWidgetItem* item)
{
    if (!item || item->column() != 0)
        return;
    if (btnPreview->isChecked())
        vShowPreviewForRow(item->row());
    else
        vMakeFrameCurrentForRow(item->row());
}

void frmSparseClip::tblFrames_itemSelectionChanged()
{
    if (btnPreview->isChecked())
        vPreviewSelection();
}

void frmSparseClip::btnPreview_toggled(bool on)
{
    if (on)
        vPreviewSelection();
    else if (g_pMainWindow)
        g_pMainWindow->sltDeletePreviewImages();
    if (g_pMainWindow)
        g_pMainWindow->sltUpdateGL();
}

void frmSparseClip::btnAddFramesFromDisk_clicked()
{
    QSettings* settings = pGetUserSettings();
    const QString start = settings->value(QStringLiteral("LastSparseClipImportFolder"), QString()).toString();
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const CW_ClipInfo* source = bIsValidInstance(project) ? pcstctGetClipInfo(project, m_eSourceClip) : nullptr;
    CW_ClipInfo clip = source ? *source : CW_ClipInfo();
    const QStringList files = qslGetOpenFileNames(clip, start, this);
    vAddFramesToTable(project, files);
    if (!files.isEmpty())
        settings->setValue(QStringLiteral("LastSparseClipImportFolder"), files.first());
    if (btnPreview->isChecked())
        vPreviewSelection();
}

void frmSparseClip::btnAddFramesFromqXMLNet_clicked()
{
    if (g_pClipServerWizard) {
        g_pClipServerWizard->reset();
    } else {
        QWidget* parent = g_pMainWindow ? static_cast<QWidget*>(g_pMainWindow) : this;
        g_pClipServerWizard = new frmQXMLNetGetClipWizard(parent, nullptr, false, Qt::WindowFlags());
    }
    if (g_pClipServerWizard->exec() != QDialog::Accepted)
        return;
    const QString start = g_pClipServerWizard->qstrGetNameOfOneFileTransferred();
    CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const CW_ClipInfo* source = bIsValidInstance(project) ? pcstctGetClipInfo(project, m_eSourceClip) : nullptr;
    CW_ClipInfo clip = source ? *source : CW_ClipInfo();
    vAddFramesToTable(project, qslGetOpenFileNames(clip, start, this));
    if (btnPreview->isChecked())
        vPreviewSelection();
}

void frmSparseClip::buttonOk_clicked()
{
    CW_AutoLock(&g_mtxEngine, "buttonOK_clicked");
    bCallReported(g_pMainWindow, [&] {
        CW_Instance project = ProjectManagerInstance::instance()->getInstance();
        if (!bIsValidInstance(project))
            throw CW_Exception("There is no open project.", "frmSparseClip: no project");
        // A new clip of no frames is not made, and the source clip keeps its own frames.
        if (!m_qstrNamePrefix.isEmpty() && tblFrames->rowCount() == 0) {
            m_eResultClip = m_eSourceClip;
            vDropPreview();
            accept();
            return;
        }
        // The records come first: a path they cannot hold stops OK before anything changes.
        Tam_List* records = nullptr;
        bool allFrames = false;
        vAddFramesToList(project, &records, &allFrames);
        const std::unique_ptr<Tam_List*, void (*)(Tam_List**)> freeRecords(
            &records, [](Tam_List** list) { vFreeFrameList(*list); });

        CW_CLIP_ID result = m_eSourceClip;
        if (!m_qstrNamePrefix.isEmpty()) {
            const CW_ClipInfo* source = pcstctGetClipInfo(project, m_eSourceClip);
            if (!source)
                throw CW_Exception("The clip of these frames is not part of the project.", "frmSparseClip: no source");
            CW_ClipInfo copy = *source;
            copy.bSparse = true;
            copy.bSparseDerived = true;
            const QString sourceName = qstrGetClipName(project, m_eSourceClip);
            QString name = m_qstrNamePrefix + QLatin1Char('_') + sourceName;
            for (int n = 2; eGetClipID(project, name) != 0; ++n) {
                if (n == std::numeric_limits<int>::max())
                    throw CW_Exception("No free clip name was found.", "frmSparseClip: names exhausted");
                name = m_qstrNamePrefix + QString::number(n) + QLatin1Char('_') + sourceName;
            }
            const QString firstFile = tblFrames->item(0, 0)->text();
            BRD_ImageIO_Router* router = pGetImageIORouter();
            CW_OpenMovieStruct movie {firstFile, {}};
            router->vOpenMovie(movie);
            router->vCloseMovie(firstFile.toUtf8().constData());
            copy.iImageFormat = movie.iImageFormat;
            copy.iImageType = movie.iImageType;
            tam_initialise_image_header_info(copy.qstrHeaderInfo, copy.iImageFormat, copy.iImageType);
            result = eRegisterDerivedClip(project, eGetBaseClipID(project, m_eSourceClip), &copy, name, true);
        }
        vSetDiscreteFrames(project, result, records, allFrames);
        vUnloadClip(project, result, nullptr);
        vSetClipHasChanged(project, result);
        m_eResultClip = result;
        vDropPreview();
        accept();
    });
}

void frmSparseClip::vDropPreview()
{
    if (!g_pMainWindow)
        return;
    g_pMainWindow->sltDeletePreviewImages();
    g_pMainWindow->sltUpdateGL();
}

void frmSparseClip::buttonCancel_clicked()
{
    reject();
}

void frmSparseClip::reject()
{
    vDropPreview();
    QDialog::reject();
}

void frmSparseClip::buttonHelp_clicked()
{
    if (g_pMainWindow)
        g_pMainWindow->actHelp_activated();
}

void frmSparseClip::keyPressEvent(QKeyEvent* event)
{
    CW_AutoLock(&g_mtxEngine, "keyPressEvent");
    event->ignore();
    if (event->key() != Qt::Key_Delete)
        return;
    bCallReported(g_pMainWindow, [&] {
        for (int row = tblFrames->rowCount() - 1; row >= 0; --row) {
            const QTableWidgetItem* file = tblFrames->item(row, 0);
            const QTableWidgetItem* frame = tblFrames->item(row, 1);
            if ((file && file->isSelected()) || (frame && frame->isSelected()))
                tblFrames->removeRow(row);
        }
    });
}

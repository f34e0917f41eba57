#include "CWKClipComboBox.h"

#include "app/ChoiceTables.h"
#include "app/ProjectManagerInstance.h"
#include "tolvane.h"
#include "velmor.h"

#include <QPainter>
#include <QPixmap>
#include <algorithm>

namespace {
QColor colClipDisplayColour(const CW_BaseClipInfo* info)
{
    if (!info)
        return QColor(Qt::black);
    return QColor(info->aucDisplayColour[0], info->aucDisplayColour[1], info->aucDisplayColour[2]);
}

// A square of the clip's colour with, for a clip that has a parent, a smaller square of
// the parent's colour inside.
QIcon icnClipIcon(int size, const QColor& colour, const QColor* parentColour, int innerStart, int innerSize)
{
    QPixmap pixmap(size, size);
    pixmap.fill(colour);
    if (parentColour) {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillRect(QRect(innerStart, innerStart, innerSize, innerSize), *parentColour);
    }
    return QIcon(pixmap);
}
} // namespace

CWKClipComboBox::CWKClipComboBox(QWidget* parent)
    : Murn::CWKParameterWidget<QComboBox>(parent, false)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKClipComboBox::~CWKClipComboBox() = default;

void CWKClipComboBox::vConfigure(int familyClip, bool excludeDerived, bool excludeSecondMark, bool withNone,
    bool onlyDerived, bool withImport, bool excludeGarbageMattes, int resolution)
{
    m_iFamilyClip = familyClip;
    m_bExcludeDerived = excludeDerived;
    m_bExcludeSecondMark = excludeSecondMark;
    m_bWithNone = withNone;
    m_bOnlyDerived = onlyDerived;
    m_bWithImport = withImport;
    m_bExcludeGarbageMattes = excludeGarbageMattes;
    m_iResolution = resolution;
    const int remembered = eGetCurrentClipID();
    vRefill();
    vRestoreSelection(remembered);
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    if (bIsValidInstance(project)) {
        if (TOLV_ParameterManager* manager = pGetParameterManager(project))
            connect(manager, &TOLV_ParameterManager::availableClipsChanged, this,
                &CWKClipComboBox::onAvailableClipsChanged, Qt::UniqueConnection);
    }
}

void CWKClipComboBox::onAvailableClipsChanged()
{
    // The chosen clip stays chosen while it is listed: a new clip elsewhere in the project
    // must not change what a page works on.
    const int remembered = eGetCurrentClipID();
    vRefill();
    vRestoreSelection(remembered);
}

void CWKClipComboBox::vRestoreSelection(int id)
{
    if (id != 0) {
        for (int i = int(m_vecClipIDs.size()) - 1; i >= 0; --i) {
            if (m_vecClipIDs[size_t(i)] == id) {
                setCurrentIndex(i);
                return;
            }
        }
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

int CWKClipComboBox::eGetCurrentClipID() const
{
    const int index = currentIndex();
    if (index < 0 || size_t(index) >= m_vecClipIDs.size())
        return 0;
    return m_vecClipIDs[size_t(index)];
}

void CWKClipComboBox::vSetCurrentClipID(int id)
{
    for (int i = int(m_vecClipIDs.size()) - 1; i >= 0; --i) {
        if (m_vecClipIDs[size_t(i)] == id) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
}

void CWKClipComboBox::vRefill()
{
    clear();
    m_vecClipIDs.clear();
    const CW_Instance project = ProjectManagerInstance::instance()->getInstance();
    const bool valid = bIsValidInstance(project);
    const std::vector<CW_CLIP_ID> clips = valid ? pglGetClipList(project) : std::vector<CW_CLIP_ID>();
    if (!m_bWithNone && !m_bWithImport && clips.empty())
        return;

    const QIcon black = icnClipIcon(6, Qt::black, nullptr, 0, 0);
    if (m_bWithImport) {
        m_vecClipIDs.push_back(-1);
        addItem(black, tr("Import"));
    }
    if (m_bWithNone) {
        m_vecClipIDs.push_back(0);
        addItem(black, tr("None"));
    }
    const CW_CLIP_ID familyBase = m_iFamilyClip != 0 ? eGetBaseClipID(project, CW_CLIP_ID(m_iFamilyClip)) : 0;
    for (CW_CLIP_ID clip : clips) {
        const CW_ClipInfo* info = pcstctGetClipInfo(project, clip);
        const CW_BaseClipInfo* base = pcstctGetBaseClipInfo(project, clip);
        if (!info || !base)
            continue;
        if (info->bExcludedFromLists || (m_bRenderedOnly && info->bSourceClip))
            continue;
        if (m_iFamilyClip != 0 && eGetBaseClipID(project, clip) != familyBase)
            continue;
        if (m_bExcludeDerived && info->bDerived)
            continue;
        if (m_bOnlyDerived && !info->bDerived)
            continue;
        if (m_bExcludeSecondMark && info->bSecondListingMark)
            continue;
        if (m_bExcludeGarbageMattes && bGetIsGarbageMatteClip(project, clip))
            continue;
        if (m_iResolution != 3 && m_iResolution != info->iProxyResolution)
            continue;
        const CW_CLIP_ID parent = base->eParentClip;
        if (parent != 0 && !bIsClipRegistered(project, parent))
            continue;

        const QColor colour = colClipDisplayColour(base);
        const QColor parentColour
            = colClipDisplayColour(parent != 0 ? pcstctGetBaseClipInfo(project, parent) : nullptr);
        const bool source = eGetBaseClipID(project, clip) == clip;
        const QIcon icon = source ? icnClipIcon(10, colour, parent != 0 ? &parentColour : nullptr, 3, 4)
                                  : icnClipIcon(6, colour, parent != 0 ? &parentColour : nullptr, 2, 3);
        m_vecClipIDs.push_back(int(clip));
        addItem(icon, qstrGetClipName(project, clip));
    }
}

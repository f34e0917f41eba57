#include "CWKSelectionComboBox.h"

#include "app/ChoiceTables.h"
#include "velmor.h"

CWKSelectionComboBox::CWKSelectionComboBox(QWidget* parent)
    : Murn::CWKParameterWidget<QComboBox>(parent, false)
{
    vSetHooks(&stctGetParameterWidgetHooks());
}

CWKSelectionComboBox::~CWKSelectionComboBox() = default;

void CWKSelectionComboBox::fillWithLayers(CW_Instance project, bool withNone)
{
    const int remembered = currentId();
    clear();
    const std::vector<int> layers = bIsValidInstance(project) ? pglGetLayerIDList(project) : std::vector<int>();
    if (layers.empty()) {
        m_vecLayerIDs.clear();
        m_bHasIds = false;
        return;
    }
    m_vecLayerIDs.clear();
    m_bHasIds = true;
    if (withNone) {
        m_vecLayerIDs.push_back(-1);
        addItem(tr("None"));
    }
    for (int layer : layers) {
        m_vecLayerIDs.push_back(layer);
        addItem(qstrGetLayerName(project, layer));
    }
    if (remembered == -1)
        setCurrentIndex(0);
    else
        setCurrentId(remembered);
}

int CWKSelectionComboBox::currentId() const
{
    const int index = currentIndex();
    if (!m_bHasIds || index < 0 || size_t(index) >= m_vecLayerIDs.size())
        return -1;
    return m_vecLayerIDs[size_t(index)];
}

void CWKSelectionComboBox::setCurrentId(int id)
{
    for (int i = int(m_vecLayerIDs.size()) - 1; i >= 0; --i) {
        if (m_vecLayerIDs[size_t(i)] == id) {
            setCurrentIndex(i);
            return;
        }
    }
}

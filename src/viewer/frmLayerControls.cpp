#include "frmLayerControls.h"

#include "velmor.h"
#include "velmor/listing.h"

#include <QListWidget>
#include <QVBoxLayout>

frmLayerControls::frmLayerControls()
    : QWidget(nullptr)
    , m_pLayerTable(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmLayerControls"));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    m_pLayerTable->setObjectName(QStringLiteral("lstLayers"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pLayerTable);
}

void frmLayerControls::vUpdateLayerTable(CW_Instance project)
{
    QStringList names;
    if (bIsValidInstance(project))
        for (int layer : pglGetLayerIDList(project))
            names << qstrGetLayerName(project, layer);
    QStringList shown;
    for (int row = 0; row < m_pLayerTable->count(); ++row)
        shown << m_pLayerTable->item(row)->text();
    if (shown == names)
        return;
    m_pLayerTable->clear();
    m_pLayerTable->addItems(names);
}

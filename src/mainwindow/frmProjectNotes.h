// The dock in which the user keeps rich-text notes that are stored in the project.
#pragma once

#include "cwbase.h"

#include <QDockWidget>

class QTextEdit;

class frmProjectNotes : public QDockWidget {
    Q_OBJECT
public:
    explicit frmProjectNotes(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // Store or load through the project's properties; nothing without a project manager.
    void saveNotes(CW_Instance project);
    void loadNotes(CW_Instance project);
    void clear();
    bool bIsTextChanged() const { return m_bTextChanged; }
    QTextEdit* pGetTextEdit() const { return m_pTextEdit; }

public slots:
    void setTextChanged();
    // Without a project the notes are cleared; otherwise edits are stored, and a hidden dock
    // re-reads the project's notes so that it shows them when it opens.
    void sltUpdateGUI(CW_Instance project);

protected:
    void showEvent(QShowEvent* e) override;

private:
    QTextEdit* m_pTextEdit;
    bool m_bTextChanged = false;
};

// A text edit that takes the text of files dropped on it.
#pragma once

#include <QTextEdit>

class CWKTextEdit : public QTextEdit {
    Q_OBJECT
public:
    explicit CWKTextEdit(QWidget* parent = nullptr);
    ~CWKTextEdit() override;

    // Files larger than this are not loaded: a stray drop of a clip must not stall the program.
    static constexpr qint64 kiMaxDroppedFileSize = 16 * 1024 * 1024;

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
};

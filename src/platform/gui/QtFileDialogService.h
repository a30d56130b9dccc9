#pragma once
// The toolkit's own file dialogs.

#include "platform/gui/FileDialogService.h"

#include <QPointer>
#include <QWidget>

class TQtFileDialogService : public IFileDialogService {
public:
    explicit TQtFileDialogService(QWidget* parent = nullptr)
        : parent_(parent)
    {
    }
    void SetParent(QWidget* parent) { parent_ = parent; }

    std::optional<QString> GetOpenFileName(const TFileDialogRequest& request) override;
    std::optional<QString> GetSaveFileName(const TFileDialogRequest& request) override;
    std::optional<QString> GetFolderName(const QString& initialFolder) override;

private:
    std::optional<QString> Run(const TFileDialogRequest& request, bool save);

    QPointer<QWidget> parent_;
};

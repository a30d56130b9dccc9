#include "platform/gui/QtFileDialogService.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

QString QtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts.at(i);
        QString pattern = i + 1 < parts.size() ? parts.at(i + 1).trimmed() : QString();
        // "*.*" means every file to the user; as a wildcard here it would hide the
        // names that have no dot.
        if (pattern.isEmpty() || pattern == QStringLiteral("*.*"))
            pattern = QStringLiteral("*");
        filters << description + QStringLiteral(" (") + pattern + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}

std::optional<QString> TQtFileDialogService::GetOpenFileName(const TFileDialogRequest& request)
{
    return Run(request, false);
}

std::optional<QString> TQtFileDialogService::GetSaveFileName(const TFileDialogRequest& request)
{
    return Run(request, true);
}

std::optional<QString> TQtFileDialogService::GetFolderName(const QString& initialFolder)
{
    QFileDialog dialog(parent_);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!initialFolder.isEmpty())
        dialog.setDirectory(initialFolder);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
}

std::optional<QString> TQtFileDialogService::Run(const TFileDialogRequest& request, bool save)
{
    QFileDialog dialog(parent_);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // The open dialog accepts a name that does not exist; the command reports it.
    dialog.setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog everywhere: the same behaviour with or without a desktop.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !(save && request.ConfirmOverwrite));
    dialog.setDefaultSuffix(request.DefaultExtension);
    if (!request.Filter.isEmpty())
        dialog.setNameFilter(QtNameFilters(request.Filter));
    if (!request.InitialFolder.isEmpty())
        dialog.setDirectory(request.InitialFolder);
    if (!request.FileName.isEmpty()) {
        const QFileInfo preset(request.FileName);
        if (preset.isAbsolute())
            dialog.setDirectory(preset.absolutePath());
        dialog.selectFile(preset.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return QFileInfo(dialog.selectedFiles().constFirst()).absoluteFilePath();
}

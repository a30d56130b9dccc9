#pragma once
// What the window's file dialogs are opened with, shared by the commands that open them.

#include <QString>

inline const QString kDocumentExtension = QStringLiteral("kks");
// The blanks in both document filters are part of what the dialogs show.
inline const QString kDocumentOpenFilter = QStringLiteral("Tinselwick Files   *.KKS|*.KKS|All Files    *.*|*.*");
inline const QString kDocumentSaveFilter = QStringLiteral("Tinselwick Files  *.KKS|*.KKS|All Files|  *.*");

inline const QString kCsvExtension = QStringLiteral("csv");
inline const QString kCsvFilter = QStringLiteral("CSV Files|*.csv|All Files|*.*");

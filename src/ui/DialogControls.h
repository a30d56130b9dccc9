#pragma once
// The controls the window's dialogs make alike: each named as its variable, so that tests
// and screen readers find it.

#include <QCheckBox>
#include <QPushButton>
#include <QString>

inline QCheckBox* NewCheckBox(QWidget* parent, const char* name, const char* caption, const char* tip)
{
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setToolTip(QString::fromUtf8(tip));
    return box;
}

/// A "Choose..." button beside a file's name; Enter in the dialog never presses it.
inline QPushButton* NewChooseButton(QWidget* parent, const char* name, const char* accessibleName)
{
    auto* button = new QPushButton(QStringLiteral("Choose..."), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(QString::fromLatin1(accessibleName));
    button->setAutoDefault(false);
    return button;
}

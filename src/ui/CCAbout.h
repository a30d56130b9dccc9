#pragma once
// The About box: the product name on a blue panel and one OK button. It is not
// modal: shown over the main window, hidden again by OK or its close button.

#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

class TAboutCC : public QDialog {
    Q_OBJECT
public:
    explicit TAboutCC(QWidget* parent = nullptr);

    QFrame* Panel;
    QLabel* ProductName;
    QPushButton* OKButton;

    void OKButtonClick(QObject* sender);

signals:
    /// F1 while the box is active: the box carries the same help topic as the main window.
    void HelpRequested();

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool placed_ = false;
};

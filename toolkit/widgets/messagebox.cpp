#include "messagebox.h"

#include <QMessageBox>
#include <QPushButton>

namespace MessageBox {

void show(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Ok);
    box.exec();
}

bool showOffering(QWidget *parent, const QString &text, const QString &title, const QString &offer)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Ok);
    QPushButton *offered = box.addButton(offer, QMessageBox::ActionRole);
    box.exec();
    return box.clickedButton() == offered;
}

bool ask(QWidget *parent, const QString &text, const QString &title)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace MessageBox

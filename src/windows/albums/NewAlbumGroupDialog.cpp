#include "NewAlbumGroupDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "windows/main/WindowHelpers.h"
#include "core/ColumnWidths.h"

namespace sw {

NewAlbumGroupDialog::NewAlbumGroupDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("falgrp");
    setWindowTitle("New Album Group");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_name = new QLineEdit(this);
    m_name->setObjectName("name");
    m_name->setMaxLength(kAlbumNameWidth);
    m_artist = new QLineEdit(this);
    m_artist->setObjectName("artist");
    m_artist->setMaxLength(kArtistNameWidth);
    form->addRow("Name", m_name);
    form->addRow("Artist", m_artist);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText("OK");
    m_ok->setEnabled(false);
    buttons->button(QDialogButtonBox::Cancel)->setText("Cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_name, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ok->setEnabled(!text.trimmed().isEmpty()); });
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

bool NewAlbumGroupDialog::Ask(QWidget* parent, QString& name, QString& artist) {
    NewAlbumGroupDialog dialog(parent);
    PlaceNearCursor(&dialog);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    name = dialog.m_name->text();
    artist = dialog.m_artist->text();
    return true;
}

}  // namespace sw

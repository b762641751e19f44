#include "GenreDetailsDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "core/ColumnWidths.h"

namespace sw {

GenreDetailsDialog::GenreDetailsDialog(GenreDetailsController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller) {
    setObjectName("GenreDetails");
    setWindowTitle("Genre details");
    auto* outer = new QVBoxLayout(this);

    auto* boxes = new QFormLayout;
    m_id = new QLineEdit(this);
    m_id->setObjectName("id");
    m_id->setMaxLength(5);
    m_id->setMaximumWidth(m_id->fontMetrics().horizontalAdvance("00000") + 16);
    m_name = new QLineEdit(this);
    m_name->setObjectName("name");
    m_name->setMaxLength(kGenreNameWidth);
    m_name->setMinimumWidth(m_name->fontMetrics().averageCharWidth() * 30);
    boxes->addRow("Id", m_id);
    boxes->addRow("Name", m_name);
    outer->addLayout(boxes);

    auto* state = new QGroupBox(this);
    auto* stateLayout = new QHBoxLayout(state);
    m_active = new QRadioButton("Active", state);
    m_active->setObjectName("active");
    m_dormant = new QRadioButton("Dormant", state);
    m_dormant->setObjectName("dormant");
    m_active->setChecked(true);
    stateLayout->addWidget(m_active);
    stateLayout->addWidget(m_dormant);
    stateLayout->addStretch(1);
    outer->addWidget(state);

    auto* buttons = new QHBoxLayout;
    m_save = new QPushButton("Save", this);
    m_save->setObjectName("save");
    m_save->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("cancel");
    connect(m_save, &QPushButton::clicked, this, [this] { SaveClicked(); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    buttons->addStretch(1);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    outer->addLayout(buttons);

    m_controller.SetDisplay(this);
}

GenreDetailsDialog::~GenreDetailsDialog() {
    m_controller.SetDisplay(nullptr);
}

bool GenreDetailsDialog::RunGenreDetails() {
    m_id->setText(m_controller.IdText());
    m_name->setText(m_controller.Name());
    (m_controller.Dormant() ? m_dormant : m_active)->setChecked(true);
    return exec() == QDialog::Accepted;
}

void GenreDetailsDialog::SaveClicked() {
    m_controller.SetIdText(m_id->text());
    m_controller.SetName(m_name->text());
    m_controller.SetDormant(m_dormant->isChecked());
    if (m_controller.Save()) {
        accept();
    }
}

void GenreDetailsDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_name->setFocus();
}

}  // namespace sw

#include "SearchDialog.h"

#include <QEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace sw {

namespace {

struct SearchForItem {
    SearchFor value;
    const char* caption;
};
constexpr std::array<SearchForItem, 4> kSearchFor{{
    {SearchFor::Text, "Search for text"},
    {SearchFor::SongNumber, "Search for Song number"},
    {SearchFor::AlbumId, "Search for Album id"},
    {SearchFor::ArtistId, "Search for Artist id"},
}};

struct PlaceItem {
    SearchPlace value;
    const char* caption;
};
constexpr std::array<PlaceItem, 6> kPlaces{{
    {SearchPlace::FileName, "just in filename"},
    {SearchPlace::Comment, "just in comment"},
    {SearchPlace::AlbumName, "just in album name"},
    {SearchPlace::ArtistName, "just in artist name"},
    {SearchPlace::Title, "just in song title"},
    {SearchPlace::Anywhere, "anywhere"},
}};

}  // namespace

SearchDialog::SearchDialog(SearchController& controller, QWidget* parent)
    : QDialog(parent), m_controller(controller) {
    setObjectName("searchDialog");
    setWindowTitle("Search");
    auto* layout = new QVBoxLayout(this);

    m_text = new QLineEdit(this);
    m_text->setObjectName("searchText");
    m_text->setMinimumWidth(320);
    m_text->installEventFilter(this);
    connect(m_text, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!m_filling) {
            m_controller.SetText(text);
        }
    });
    layout->addWidget(m_text);
    layout->addWidget(new QLabel("( punctuation is significant, case is not ) ", this));

    auto* choices = new QHBoxLayout;
    auto* searchFor = new QVBoxLayout;
    for (std::size_t i = 0; i < kSearchFor.size(); ++i) {
        auto* button = new QRadioButton(kSearchFor[i].caption, this);
        const SearchFor value = kSearchFor[i].value;
        connect(button, &QRadioButton::toggled, this, [this, value](bool on) {
            if (!on || m_filling) {
                return;
            }
            m_controller.ChooseSearchFor(value);
            m_scopes->setVisible(m_controller.ScopeVisible());
            FocusText();
        });
        m_searchFor[i] = button;
        searchFor->addWidget(button);
    }
    searchFor->addStretch(1);
    choices->addLayout(searchFor);

    m_scopes = new QGroupBox(this);
    m_scopes->setObjectName("scopes");
    auto* places = new QVBoxLayout(m_scopes);
    for (std::size_t i = 0; i < kPlaces.size(); ++i) {
        auto* button = new QRadioButton(kPlaces[i].caption, m_scopes);
        const SearchPlace value = kPlaces[i].value;
        connect(button, &QRadioButton::toggled, this, [this, value](bool on) {
            if (on && !m_filling) {
                m_controller.ChoosePlace(value);
                FocusText();
            }
        });
        m_places[i] = button;
        places->addWidget(button);
    }
    choices->addWidget(m_scopes, 0, Qt::AlignTop);
    layout->addLayout(choices);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_ok = new QPushButton("OK", this);
    m_ok->setObjectName("ok");
    m_ok->setDefault(true);
    m_cancel = new QPushButton("Cancel", this);
    m_cancel->setObjectName("cancel");
    connect(m_ok, &QPushButton::clicked, this, [this] { m_controller.Ok(); });
    connect(m_cancel, &QPushButton::clicked, this, [this] { m_controller.Cancel(); });
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);

    m_controller.SetDisplay(this);
    ShowChoices();
}

SearchDialog::~SearchDialog() {
    m_controller.SetDisplay(nullptr);
}

QRadioButton* SearchDialog::SearchForButton(SearchFor searchFor) const {
    for (std::size_t i = 0; i < kSearchFor.size(); ++i) {
        if (kSearchFor[i].value == searchFor) {
            return m_searchFor[i];
        }
    }
    return nullptr;
}

QRadioButton* SearchDialog::PlaceButton(SearchPlace place) const {
    for (std::size_t i = 0; i < kPlaces.size(); ++i) {
        if (kPlaces[i].value == place) {
            return m_places[i];
        }
    }
    return nullptr;
}

bool SearchDialog::RunSearchDialog() {
    ShowChoices();
    return exec() == QDialog::Accepted;
}

void SearchDialog::CloseSearchDialog(bool ok) {
    done(ok ? QDialog::Accepted : QDialog::Rejected);
}

void SearchDialog::reject() {
    m_controller.Cancel();
}

void SearchDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    FocusText();
    PlaceCaret();
    m_caretPending = true;
}

bool SearchDialog::eventFilter(QObject* watched, QEvent* event) {
    // The box's own handling of the first focus (which selects everything on a tab focus) comes
    // after this filter, so the caret is placed once it is done.
    if (watched == m_text && event->type() == QEvent::FocusIn && m_caretPending) {
        m_caretPending = false;
        QMetaObject::invokeMethod(
            this, [this] { PlaceCaret(); }, Qt::QueuedConnection);
    }
    return QDialog::eventFilter(watched, event);
}

void SearchDialog::PlaceCaret() {
    if (m_controller.CaretAtEnd()) {
        m_text->deselect();
        m_text->end(false);
    } else {
        m_text->selectAll();
    }
}

void SearchDialog::ShowChoices() {
    m_filling = true;
    m_text->setText(m_controller.Text());
    const SearchOptions& options = m_controller.Options();
    SearchForButton(options.searchFor)->setChecked(true);
    PlaceButton(options.place)->setChecked(true);
    m_scopes->setVisible(m_controller.ScopeVisible());
    m_filling = false;
}

void SearchDialog::FocusText() {
    m_text->setFocus();
}

}  // namespace sw

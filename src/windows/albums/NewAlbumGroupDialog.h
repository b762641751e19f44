#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace sw {

/// The "New Album Group" dialog: a name and an artist for a new group. OK stays disabled while the
/// name is blank, so a group without a name is never offered for writing.
class NewAlbumGroupDialog : public QDialog {
public:
    explicit NewAlbumGroupDialog(QWidget* parent = nullptr);

    /// Shows the dialog modally; true on OK with the two fields as typed.
    static bool Ask(QWidget* parent, QString& name, QString& artist);

    QLineEdit* NameEdit() const { return m_name; }
    QLineEdit* ArtistEdit() const { return m_artist; }
    QPushButton* OkButton() const { return m_ok; }

private:
    QLineEdit* m_name;
    QLineEdit* m_artist;
    QPushButton* m_ok;
};

}  // namespace sw

#include "SongText.h"

#include "foundation/Dialogs.h"
#include "foundation/Numbers.h"
#include "foundation/Text.h"

namespace sw {

namespace {

const QString kSmile = QString::fromUcs4(U"\U0000263A");
const QString kNeutral = QString::fromUcs4(U"\U0001F610");
const QString kFrown = QString::fromUcs4(U"\U00002639");
const QString kBomb = QString::fromUcs4(U"\U0001F4A3");

/// Characters from a 1-based position, as many as there are.
QString Piece(const QString& text, int position, int length) {
    return text.mid(position - 1, length);
}

}  // namespace

int ParseStartFrom(const QString& comment) {
    if (comment.size() <= 8 || !comment.startsWith("from ", Qt::CaseInsensitive)) {
        return 0;
    }
    QString minutes;
    QString seconds;
    int position = 0;
    if (comment[7 - 1] == ':') {
        minutes = Piece(comment, 6, 1);
        seconds = Piece(comment, 8, 2);
        position = 10;
    }
    if (comment[8 - 1] == ':') {  // character 8 wins when both hold
        minutes = Piece(comment, 6, 2);
        seconds = Piece(comment, 9, 2);
        position = 11;
    }
    if (position == 0) {
        return 0;
    }
    QString hundredths;
    if (comment.size() >= position + 2 && comment[position - 1] == '.') {
        hundredths = Piece(comment, position + 1, 2);
    }
    int m = 0;
    int s = 0;
    int h = 0;
    if (TryParseInt(minutes, m) && TryParseInt(seconds, s) && TryParseInt(hundredths, h)) {
        return (m * 60 + s) * 100 + h;
    }
    ShowInfo("Invalid from time " + QuoteDouble(comment));
    return 0;
}

bool RatingSymbol(int rating, QString& text) {
    switch (rating) {
        case 4:
            text = kBomb;
            return true;
        case 3:
            text = kSmile + kSmile;
            return true;
        case 2:
            text = kSmile;
            return true;
        case 1:
            text = kNeutral;
            return true;
        case 0:
            text = "?";
            return true;
        case -1:
            text = kFrown;
            return true;
        case -2:
            text = kFrown + kFrown;
            return true;
        default:
            return false;
    }
}

}  // namespace sw

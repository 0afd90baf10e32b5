#pragma once
// Content travels between the store (CR LF line ends) and the multi-line boxes
// (their own line breaks, LF from toPlainText). Unedited content goes back to the
// store exactly as it came, so a lone LF or CR inside stored code is never rewritten.
#include <QString>

namespace snippary {

// The box's plain text in store form: every line break becomes CR LF.
QString ToStoreText(const QString& plain);
// The stored text as the box is given it: CR LF and lone CR become LF.
QString ToBoxText(const QString& stored);

// What the program last put into a box, to give back unchanged content byte-exact.
struct BoxContent {
    QString original;  // as stored
    QString boxPlain;  // as the box showed it right after being filled

    void Set(const QString& stored) {
        original = stored;
        boxPlain = ToBoxText(stored);
    }
    // The store form of the box's current plain text.
    QString StoreText(const QString& currentPlain) const {
        return currentPlain == boxPlain ? original : ToStoreText(currentPlain);
    }
};

}  // namespace snippary

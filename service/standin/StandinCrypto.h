#pragma once

#include <QByteArray>
#include <QString>

// The service side of the envelope's crypto, written on its own (libcrypto
// directly) so that the client's code is checked against a second reading
// of the rules.
namespace StandinCrypto {

inline const char *const PublicKeySource = "Qm4vTz8LpW2nRc6YhK0sJd5XfB9gNe3A";

bool isPublicPath(const QString &path);
// MD5 hex of the rearranged source; empty for a source under 4 characters.
QString keyText(const QString &source);
// AES-ECB-PKCS7 with the key text's bytes (16/24/32 rule). Empty on failure.
QByteArray encrypt(const QByteArray &plain, const QByteArray &key);
// Null QByteArray on failure.
QByteArray decrypt(const QByteArray &cipher, const QByteArray &key);

} // namespace StandinCrypto

#pragma once

#include <QByteArray>
#include <QString>

// AES in ECB mode with PKCS7 padding (OpenSSL libcrypto), and the Base64 rules
// the service uses.
class AES
{
public:
    // Reply and token cipher: the key is the UTF-8 bytes of `key`, zero-padded
    // or cut to 16 bytes when shorter than 16, to 24 when shorter than 24, else
    // to 32. encrypt gives standard Base64; decrypt takes Base64 (read leniently)
    // and gives the UTF-8 text. A failing call, or a plain text that is not
    // UTF-8, gives a null QString.
    static QString encrypt(const QString &plain, const QString &key);
    static QString decrypt(const QString &base64, const QString &key);
    static QByteArray encryptData(const QByteArray &plain, const QString &key);
    static QByteArray decryptData(const QByteArray &cipher, const QString &key);

    // Request-body cipher: always AES-256, the key zero-padded or cut to 32
    // bytes. A failing call gives a null QByteArray.
    static QByteArray AES256EncryptWithKey(const QByteArray &plain, const QString &key);
    static QByteArray AES256DecryptWithKey(const QByteArray &cipher, const QString &key);

    // Lenient Base64 decoder: letters, digits, "+" and "/" carry 6 bits, any
    // other character is skipped, "=" ends the input; a trailing group of 2 or
    // 3 characters gives 1 or 2 bytes.
    static QByteArray base64DataFromString(const QString &text);
};

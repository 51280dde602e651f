#include "service/api/AES.h"

#include "platform/text/StringHelpers.h"

#include <QStringDecoder>

#include <openssl/evp.h>

#include <memory>

namespace {

// Encrypts or decrypts with AES-ECB and PKCS7 padding. The key must be 16, 24
// or 32 bytes. Null QByteArray on failure (bad padding, wrong key).
QByteArray runCipher(const QByteArray &input, const QByteArray &key, bool encrypting)
{
    const EVP_CIPHER *cipher = nullptr;
    switch (key.size()) {
    case 16:
        cipher = EVP_aes_128_ecb();
        break;
    case 24:
        cipher = EVP_aes_192_ecb();
        break;
    case 32:
        cipher = EVP_aes_256_ecb();
        break;
    default:
        return {};
    }
    if (!encrypting && (input.isEmpty() || input.size() % 16 != 0))
        return {};
    std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                        &EVP_CIPHER_CTX_free);
    if (!ctx)
        return {};
    const auto *keyBytes = reinterpret_cast<const unsigned char *>(key.constData());
    if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr, keyBytes, nullptr, encrypting ? 1 : 0) != 1)
        return {};
    EVP_CIPHER_CTX_set_padding(ctx.get(), 1);
    QByteArray out(input.size() + 16, Qt::Uninitialized);
    int written = 0;
    int tail = 0;
    auto *outBytes = reinterpret_cast<unsigned char *>(out.data());
    if (EVP_CipherUpdate(ctx.get(), outBytes, &written,
                         reinterpret_cast<const unsigned char *>(input.constData()), int(input.size())) != 1)
        return {};
    if (EVP_CipherFinal_ex(ctx.get(), outBytes + written, &tail) != 1)
        return {};
    out.truncate(written + tail);
    if (out.isNull())
        out = QByteArray("");
    return out;
}

// The key bytes of the reply cipher: 16, 24 or 32 by the text's length.
QByteArray sizedKey(const QString &key)
{
    QByteArray bytes = key.toUtf8();
    const qsizetype size = bytes.size() < 16 ? 16 : bytes.size() < 24 ? 24 : 32;
    bytes = bytes.left(size);
    bytes.append(QByteArray(size - bytes.size(), '\0'));
    return bytes;
}

// The key bytes of the request cipher: always 32.
QByteArray fullKey(const QString &key)
{
    QByteArray bytes = key.toUtf8().left(32);
    bytes.append(QByteArray(32 - bytes.size(), '\0'));
    return bytes;
}

} // namespace

QString AES::encrypt(const QString &plain, const QString &key)
{
    const QByteArray cipher = encryptData(plain.toUtf8(), key);
    if (cipher.isNull())
        return {};
    return base64StringFromData(cipher);
}

QString AES::decrypt(const QString &base64, const QString &key)
{
    const QByteArray plain = decryptData(base64DataFromString(base64), key);
    if (plain.isNull())
        return {};
    // Bytes that are not UTF-8 are no text at all, not text with replacement marks.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(plain);
    if (utf8.hasError())
        return {};
    if (text.isNull())
        text = QLatin1String("");
    return text;
}

QByteArray AES::encryptData(const QByteArray &plain, const QString &key)
{
    return runCipher(plain, sizedKey(key), true);
}

QByteArray AES::decryptData(const QByteArray &cipher, const QString &key)
{
    return runCipher(cipher, sizedKey(key), false);
}

QByteArray AES::AES256EncryptWithKey(const QByteArray &plain, const QString &key)
{
    return runCipher(plain, fullKey(key), true);
}

QByteArray AES::AES256DecryptWithKey(const QByteArray &cipher, const QString &key)
{
    return runCipher(cipher, fullKey(key), false);
}

QByteArray AES::base64DataFromString(const QString &text)
{
    const QByteArray in = text.toUtf8();
    QByteArray out;
    out.reserve(in.size() * 3 / 4 + 3);
    quint32 group = 0;
    int count = 0;
    for (const char c : in) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=')
            break;
        else
            continue;
        group = (group << 6) | quint32(v);
        if (++count == 4) {
            out.append(char((group >> 16) & 0xff));
            out.append(char((group >> 8) & 0xff));
            out.append(char(group & 0xff));
            group = 0;
            count = 0;
        }
    }
    if (count == 2) {
        out.append(char((group >> 4) & 0xff));
    } else if (count == 3) {
        out.append(char((group >> 10) & 0xff));
        out.append(char((group >> 2) & 0xff));
    }
    return out;
}

#include "service/standin/StandinCrypto.h"

#include <openssl/evp.h>

#include <QStringList>

namespace StandinCrypto {

bool isPublicPath(const QString &path)
{
    static const QStringList paths = {
        "user/isExist",
        "user/isExist/oauth",
        "user/userInfo/nologin",
        "user/register",
        "user/login",
        "user/login/oauth",
        "user/safe/pwd/find",
        "tool/sendVCode",
        "tool/valideVCode",
        "tool/oauthUnionIDByAccToken",
        "sys/notice",
        "sys/terminal/list",
        "team/isExistId",
        "ad/adInfo",
        "user/phonelogin",
        "user/check/oauth/findPwd",
        "tool/oauthTempId",
        "tool/checkOAuthState",
        "user/refreshAccessToken",
    };
    return paths.contains(path);
}

QString keyText(const QString &source)
{
    const QByteArray s = source.toUtf8();
    if (s.size() < 4)
        return {};
    const QByteArray r = s.right(2) + s.mid(2, s.size() - 4) + s.left(2);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(r.constData(), size_t(r.size()), digest, &length, EVP_md5(), nullptr);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

namespace {
QByteArray run(const QByteArray &in, QByteArray key, bool enc)
{
    const int size = key.size() < 16 ? 16 : key.size() < 24 ? 24 : 32;
    key = key.left(size);
    key.append(QByteArray(size - key.size(), '\0'));
    const EVP_CIPHER *cipher = size == 16   ? EVP_aes_128_ecb()
                               : size == 24 ? EVP_aes_192_ecb()
                                            : EVP_aes_256_ecb();
    EVP_CIPHER_CTX *ctx = EVP_CIPHER_CTX_new();
    QByteArray out(in.size() + 32, '\0');
    int n = 0, m = 0;
    bool ok =
        EVP_CipherInit_ex(ctx, cipher, nullptr, reinterpret_cast<const unsigned char *>(key.constData()),
                          nullptr, enc) == 1 &&
        EVP_CipherUpdate(ctx, reinterpret_cast<unsigned char *>(out.data()), &n,
                         reinterpret_cast<const unsigned char *>(in.constData()), int(in.size())) == 1 &&
        EVP_CipherFinal_ex(ctx, reinterpret_cast<unsigned char *>(out.data()) + n, &m) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok)
        return {};
    out.truncate(n + m);
    return out.isNull() ? QByteArray("") : out;
}
} // namespace

QByteArray encrypt(const QByteArray &plain, const QByteArray &key)
{
    return run(plain, key, true);
}

QByteArray decrypt(const QByteArray &cipher, const QByteArray &key)
{
    if (cipher.isEmpty() || cipher.size() % 16)
        return {};
    return run(cipher, key, false);
}

} // namespace StandinCrypto

#pragma once

#include "service/api/AesBaseModel.h"
#include "service/api/BaseSuccessModel.h"

#include <QByteArray>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QNetworkRequest>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class QHttpMultiPart;

// The request envelope of the service: the header frame, the body encryption
// under a key chosen by the path, and the decoding of replies. Pure functions
// of their inputs and the stored sign-in keys; decodeReply is safe on any thread.
class ApiEnvelope
{
public:
    using Params = QJsonObject;

    // How a request is framed and its reply read.
    enum class Variant
    {
        Get,        // query-string parameters, encrypted reply
        Post,       // encrypted body and reply
        PostDecode, // as Post, the reply decrypted whatever its code
        NoAesPost,  // empty body, plain-JSON reply
        Upload      // multipart, one part per image; plain-JSON reply
    };
    // Whether the request's body or reply is encrypted, so it needs its key before it goes.
    static bool isEncrypted(Variant variant);

    // One request, framed and ready for the transport.
    struct Request
    {
        enum class Problem
        {
            None,
            NoKey, // the path needs the user key and none is stored
        };
        Problem problem = Problem::None;
        bool isGet = false;
        QNetworkRequest request;
        QByteArray body;
        std::unique_ptr<QHttpMultiPart> multipart; // Upload only
    };
    // Frames `path` of `variant` under the base address. "timestamp" is the
    // current time for GET and `creationSecs` for every other variant.
    static Request make(Variant variant, const QUrl &base, const QString &path, const Params &params,
                        const QList<QImage> &images, qint64 creationSecs);

    // --- keys and bodies --------------------------------------------------
    // The built-in key text of the public paths.
    static inline const QString PublicKeyText = QStringLiteral("Qm4vTz8LpW2nRc6YhK0sJd5XfB9gNe3A");
    static const QStringList &publicPaths();
    static bool isPublicPath(const QString &path);
    // MD5 (32 lower-case hex digits) of the source rearranged: last 2
    // characters, the middle, first 2 characters. Empty for a source under 4
    // characters.
    static QString getMD5String(const QString &text);
    // The key text of a path; empty when the path needs the user key and
    // none (or one under 4 characters) is stored.
    static QString getAesPwdWithUrl(const QString &path);
    // The request body: Base64 of the encrypted, pretty-printed JSON (the
    // variants send no body at all for empty parameters). Null when the path
    // has no key.
    static QString showAESWithParams(const Params &params, const QString &path);
    static bool isDataStringWithUrlString(const QString &path);
    static bool isShowErrorMsgWithUrlString(const QString &path);

    // A value of the parameters as text: numbers in decimal, booleans as 1/0.
    static QString queryText(const QJsonValue &value);

    // --- reply decoding ---------------------------------------------------
    // Pure decoding of a reply of `variant` with the path's key text.
    static BaseSuccessModel decodeReply(const QByteArray &bytes, Variant variant, const QString &path,
                                        const QString &key);
    // The payload of a code-200 envelope decrypted with the path's stored key.
    static BaseSuccessModel showBackAESDataWithAesModel(const AesBaseModel &model, const QString &path);
    // Decodes as postDecode does: decrypted whatever the code.
    static BaseSuccessModel decodeWithResponseObject(const QByteArray &bytes, const QString &path);
};

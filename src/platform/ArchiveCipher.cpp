#include "platform/ArchiveCipher.h"

#include "platform/AppError.h"

#include <QFile>

#include <cerrno>

#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {
const QString kSource = QStringLiteral("Archive");
const QByteArray kMagic("KORVINA-ARCHIVE1");
constexpr int kSaltSize = 16;
constexpr int kNonceSize = 12;
constexpr int kTagSize = 16;
constexpr int kKeySize = 32;
constexpr int kIterations = 200000;
constexpr qint64 kPiece = 64 * 1024;

[[noreturn]] void fail(const QString& what) { throw AppError(DbErrors::General, kSource, what); }

QByteArray deriveKey(const QString& password, const QByteArray& salt)
{
    const QByteArray secret = password.toUtf8();
    QByteArray key(kKeySize, '\0');
    if (PKCS5_PBKDF2_HMAC(secret.constData(), int(secret.size()), reinterpret_cast<const unsigned char*>(salt.constData()),
                          int(salt.size()), kIterations, EVP_sha256(), kKeySize,
                          reinterpret_cast<unsigned char*>(key.data()))
        != 1)
        fail(QStringLiteral("The archive key cannot be made."));
    return key;
}

EVP_CIPHER_CTX* newContext(bool encrypt, const QByteArray& key, const QByteArray& nonce, const QByteArray& header)
{
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    int ignored = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* n = reinterpret_cast<const unsigned char*>(nonce.constData());
    const bool ok = ctx && EVP_CipherInit_ex(ctx, EVP_aes_256_gcm(), nullptr, nullptr, nullptr, encrypt ? 1 : 0) == 1
                    && EVP_CIPHER_CTX_ctrl(ctx, EVP_CTRL_GCM_SET_IVLEN, kNonceSize, nullptr) == 1
                    && EVP_CipherInit_ex(ctx, nullptr, nullptr, k, n, encrypt ? 1 : 0) == 1
                    && EVP_CipherUpdate(ctx, nullptr, &ignored, reinterpret_cast<const unsigned char*>(header.constData()),
                                        int(header.size()))
                           == 1;
    if (!ok) {
        EVP_CIPHER_CTX_free(ctx);
        fail(QStringLiteral("The archive cipher cannot be set up."));
    }
    return ctx;
}

QByteArray randomBytes(int size)
{
    QByteArray bytes(size, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), size) != 1)
        fail(QStringLiteral("No random numbers for the archive key."));
    return bytes;
}

struct ContextFree {
    void operator()(EVP_CIPHER_CTX* c) const { EVP_CIPHER_CTX_free(c); }
};
}

namespace ArchiveCipher {

Sealer::Sealer(QIODevice& out, const QString& password) : m_out(out)
{
    const QByteArray salt = randomBytes(kSaltSize), nonce = randomBytes(kNonceSize);
    const QByteArray header = kMagic + salt + nonce;
    m_ctx = newContext(true, deriveKey(password, salt), nonce, header);
    put(header);
}

Sealer::~Sealer() { EVP_CIPHER_CTX_free(m_ctx); }

void Sealer::put(const QByteArray& bytes)
{
    if (m_out.write(bytes) != bytes.size()) {
        const int number = errno == ENOSPC || errno == EDQUOT ? DbErrors::DiskFull : DbErrors::General;
        throw AppError(number, kSource, QStringLiteral("Cannot write the archive: ") + m_out.errorString());
    }
}

void Sealer::write(const char* data, qint64 size)
{
    for (qint64 done = 0; done < size;) {
        const int n = int(std::min(kPiece, size - done));
        QByteArray sealed(n, '\0');
        int length = 0;
        if (EVP_EncryptUpdate(m_ctx, reinterpret_cast<unsigned char*>(sealed.data()), &length,
                              reinterpret_cast<const unsigned char*>(data + done), n)
            != 1)
            fail(QStringLiteral("The archive cannot be sealed."));
        sealed.truncate(length);
        put(sealed);
        done += n;
    }
}

void Sealer::finish()
{
    unsigned char rest[32];
    int length = 0;
    QByteArray tag(kTagSize, '\0');
    if (EVP_EncryptFinal_ex(m_ctx, rest, &length) != 1
        || EVP_CIPHER_CTX_ctrl(m_ctx, EVP_CTRL_GCM_GET_TAG, kTagSize, tag.data()) != 1)
        fail(QStringLiteral("The archive cannot be sealed."));
    put(QByteArray(reinterpret_cast<const char*>(rest), length) + tag);
}

void unseal(const QString& path, const QString& password, const std::function<void(const char*, qint64)>& sink)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        fail(QStringLiteral("Cannot read the archive %1: %2").arg(path, in.errorString()));
    const QByteArray header = in.read(kMagic.size() + kSaltSize + kNonceSize);
    const qint64 body = in.size() - header.size() - kTagSize;
    if (header.size() != kMagic.size() + kSaltSize + kNonceSize || !header.startsWith(kMagic) || body < 0)
        fail(QStringLiteral("%1 is not a Korvina archive.").arg(path));
    const std::unique_ptr<EVP_CIPHER_CTX, ContextFree> ctx(
        newContext(false, deriveKey(password, header.mid(kMagic.size(), kSaltSize)),
                   header.mid(kMagic.size() + kSaltSize, kNonceSize), header));
    QByteArray plain(int(kPiece) + 32, '\0');
    for (qint64 left = body; left > 0;) {
        const QByteArray piece = in.read(std::min(kPiece, left));
        if (piece.isEmpty())
            fail(QStringLiteral("Cannot read the archive %1: %2").arg(path, in.errorString()));
        left -= piece.size();
        int length = 0;
        if (EVP_DecryptUpdate(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &length,
                              reinterpret_cast<const unsigned char*>(piece.constData()), int(piece.size()))
            != 1)
            fail(QStringLiteral("The archive %1 cannot be read.").arg(path));
        if (sink && length > 0)
            sink(plain.constData(), length);
    }
    QByteArray tag = in.read(kTagSize);
    int length = 0;
    if (tag.size() != kTagSize || EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, kTagSize, tag.data()) != 1
        || EVP_DecryptFinal_ex(ctx.get(), reinterpret_cast<unsigned char*>(plain.data()), &length) != 1)
        fail(QStringLiteral("The archive %1 is damaged or incomplete, or was sealed with another password.").arg(path));
}

}

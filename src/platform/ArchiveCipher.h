#pragma once
#include <QByteArray>
#include <QString>
#include <functional>

class QIODevice;
struct evp_cipher_ctx_st;

// Archives sealed at rest: AES-256-GCM (OpenSSL), the key drawn from the database password with
// PBKDF2-HMAC-SHA256 over a random salt. A sealed file is the header "KORVINA-ARCHIVE1", the
// salt (16 bytes), the nonce (12 bytes), the cipher text and the 16-byte tag; the header is
// authenticated with the content, so any change to the file, or a file cut short, is found.
namespace ArchiveCipher {

// Seals what is written through it into `out`, piece by piece.
class Sealer {
public:
    // Writes the header; throws AppError when `out` refuses it.
    Sealer(QIODevice& out, const QString& password);
    ~Sealer();
    Sealer(const Sealer&) = delete;
    Sealer& operator=(const Sealer&) = delete;

    void write(const char* data, qint64 size);
    // Writes the tag; nothing may be written after it.
    void finish();

private:
    void put(const QByteArray& bytes);

    QIODevice& m_out;
    evp_cipher_ctx_st* m_ctx = nullptr;
};

// Reads a sealed archive and hands its plain content to `sink` in pieces (none: only checked).
// Nothing handed out may be trusted before this returns: it throws AppError, naming the file,
// when the file is not a sealed archive, was sealed with another password, was changed or is
// incomplete.
void unseal(const QString& path, const QString& password, const std::function<void(const char*, qint64)>& sink = {});

}

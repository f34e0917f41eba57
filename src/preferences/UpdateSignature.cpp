#include "UpdateSignature.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <memory>

namespace {

struct SignatureKeyDeleter {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
    void operator()(EVP_PKEY_CTX* context) const { EVP_PKEY_CTX_free(context); }
    void operator()(BIO* bio) const { BIO_free(bio); }
};

bool bSignatureFails(QString* reason, const QString& text)
{
    // The toolkit's own TLS code shares this thread's error queue.
    ERR_clear_error();
    if (reason)
        *reason = text;
    return false;
}

} // namespace

bool bVerifyDigestSignature(
    const QByteArray& sha256Digest, const QByteArray& signature, const QByteArray& publicKeyPem, QString* reason)
{
    if (sha256Digest.size() != 32)
        return bSignatureFails(reason, QStringLiteral("the digest is not a SHA-256 digest"));
    if (signature.isEmpty())
        return bSignatureFails(reason, QStringLiteral("the signature is empty"));
    if (publicKeyPem.isEmpty())
        return bSignatureFails(reason, QStringLiteral("this build has no key to verify updates with"));

    std::unique_ptr<BIO, SignatureKeyDeleter> pem(BIO_new_mem_buf(publicKeyPem.constData(), int(publicKeyPem.size())));
    std::unique_ptr<EVP_PKEY, SignatureKeyDeleter> key(
        pem ? PEM_read_bio_PUBKEY(pem.get(), nullptr, nullptr, nullptr) : nullptr);
    if (!key)
        return bSignatureFails(reason, QStringLiteral("the built-in key cannot be read"));
    const int type = EVP_PKEY_get_base_id(key.get());
    if (type != EVP_PKEY_RSA && type != EVP_PKEY_EC)
        return bSignatureFails(reason, QStringLiteral("the built-in key is neither RSA nor EC"));

    std::unique_ptr<EVP_PKEY_CTX, SignatureKeyDeleter> context(EVP_PKEY_CTX_new(key.get(), nullptr));
    if (!context || EVP_PKEY_verify_init(context.get()) <= 0
        || EVP_PKEY_CTX_set_signature_md(context.get(), EVP_sha256()) <= 0)
        return bSignatureFails(reason, QStringLiteral("the signature check cannot be set up"));
    const int verdict = EVP_PKEY_verify(context.get(), reinterpret_cast<const unsigned char*>(signature.constData()),
        size_t(signature.size()), reinterpret_cast<const unsigned char*>(sha256Digest.constData()),
        size_t(sha256Digest.size()));
    if (verdict != 1)
        return bSignatureFails(reason, QStringLiteral("the signature does not match"));
    ERR_clear_error();
    return true;
}

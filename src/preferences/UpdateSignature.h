// Checks the signature that comes with a downloaded installer.
#pragma once

#include <QByteArray>
#include <QString>

// True when signature is valid over the SHA-256 digest for the holder of the PEM public
// key (RSA or EC). Otherwise false, with the reason when asked.
bool bVerifyDigestSignature(const QByteArray& sha256Digest, const QByteArray& signature, const QByteArray& publicKeyPem,
    QString* reason = nullptr);

#include "LocalCertificates.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>

#include <memory>
#include <stdexcept>

namespace tq::local {
namespace {

template <class T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using CertPtr = std::unique_ptr<X509, Deleter<X509, X509_free>>;
using BioPtr = std::unique_ptr<BIO, Deleter<BIO, BIO_free_all>>;

void require(bool ok, const char* what) {
    if (!ok) throw std::runtime_error(std::string("local certificate: ") + what);
}

void addExtension(X509* cert, X509* issuer, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    require(extension != nullptr, "extension");
    X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
}

std::string alternativeNames(const std::vector<std::string>& hostNames) {
    std::string names;
    for (const auto& host : hostNames) names += "DNS:" + host + ",";
    return names + "IP:127.0.0.1";
}

std::string readBio(BIO* bio) {
    char* data = nullptr;
    long length = BIO_get_mem_data(bio, &data);
    return std::string(data, static_cast<size_t>(length));
}

void setName(X509* cert, const std::string& commonName) {
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
}

// A certificate with a random serial, valid from an hour ago for `days`, holding `key`.
CertPtr newCertificate(EVP_PKEY* key, const std::string& commonName, long days) {
    CertPtr cert(X509_new());
    require(cert != nullptr, "certificate");
    X509_set_version(cert.get(), 2);
    unsigned char serial[4];
    RAND_bytes(serial, sizeof serial);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()),
                     (static_cast<long>(serial[0] & 0x7f) << 24) | (serial[1] << 16) | (serial[2] << 8) | serial[3]);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    setName(cert.get(), commonName);
    return cert;
}

CertificatePem toPem(X509* cert, EVP_PKEY* key) {
    CertificatePem out;
    BioPtr certBio(BIO_new(BIO_s_mem()));
    require(PEM_write_bio_X509(certBio.get(), cert) == 1, "certificate PEM");
    out.certificatePem = readBio(certBio.get());
    BioPtr keyBio(BIO_new(BIO_s_mem()));
    require(PEM_write_bio_PrivateKey(keyBio.get(), key, nullptr, nullptr, 0, nullptr, nullptr) == 1, "key PEM");
    out.privateKeyPem = readBio(keyBio.get());
    return out;
}

}  // namespace

CertificatePem selfSignedCertificate(const std::vector<std::string>& hostNames) {
    KeyPtr key(EVP_EC_gen("P-256"));
    require(key != nullptr, "key");
    auto cert = newCertificate(key.get(), hostNames.empty() ? "localhost" : hostNames.front(), 30);
    X509_set_issuer_name(cert.get(), X509_get_subject_name(cert.get()));
    addExtension(cert.get(), cert.get(), NID_basic_constraints, "critical,CA:TRUE");
    addExtension(cert.get(), cert.get(), NID_key_usage, "critical,digitalSignature,keyCertSign");
    addExtension(cert.get(), cert.get(), NID_ext_key_usage, "serverAuth");
    addExtension(cert.get(), cert.get(), NID_subject_key_identifier, "hash");
    addExtension(cert.get(), cert.get(), NID_subject_alt_name, alternativeNames(hostNames));
    require(X509_sign(cert.get(), key.get(), EVP_sha256()) > 0, "signature");
    return toPem(cert.get(), key.get());
}

LocalCertificates issueLocalCertificates(const std::vector<std::string>& hostNames) {
    KeyPtr authorityKey(EVP_EC_gen("P-256"));
    require(authorityKey != nullptr, "authority key");
    auto authority = newCertificate(authorityKey.get(), "TrelvoQuest local authority", 3650);
    X509_set_issuer_name(authority.get(), X509_get_subject_name(authority.get()));
    addExtension(authority.get(), authority.get(), NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
    addExtension(authority.get(), authority.get(), NID_key_usage, "critical,keyCertSign,cRLSign");
    addExtension(authority.get(), authority.get(), NID_subject_key_identifier, "hash");
    require(X509_sign(authority.get(), authorityKey.get(), EVP_sha256()) > 0, "authority signature");

    KeyPtr serverKey(EVP_EC_gen("P-256"));
    require(serverKey != nullptr, "server key");
    auto server = newCertificate(serverKey.get(), hostNames.empty() ? "localhost" : hostNames.front(), 365);
    X509_set_issuer_name(server.get(), X509_get_subject_name(authority.get()));
    addExtension(server.get(), authority.get(), NID_basic_constraints, "critical,CA:FALSE");
    addExtension(server.get(), authority.get(), NID_key_usage, "critical,digitalSignature");
    addExtension(server.get(), authority.get(), NID_ext_key_usage, "serverAuth");
    addExtension(server.get(), authority.get(), NID_subject_key_identifier, "hash");
    addExtension(server.get(), authority.get(), NID_authority_key_identifier, "keyid:always");
    addExtension(server.get(), authority.get(), NID_subject_alt_name, alternativeNames(hostNames));
    require(X509_sign(server.get(), authorityKey.get(), EVP_sha256()) > 0, "server signature");

    return {toPem(authority.get(), authorityKey.get()), toPem(server.get(), serverKey.get())};
}

}  // namespace tq::local

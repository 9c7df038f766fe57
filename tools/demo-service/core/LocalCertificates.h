#pragma once

#include <string>
#include <vector>

namespace tq::local {

// A certificate and its private key, both in PEM.
struct CertificatePem {
    std::string certificatePem;
    std::string privateKeyPem;
};

// A self-signed certificate naming the given host names (and 127.0.0.1) as its subject
// alternative names; it can be trusted as its own authority.
CertificatePem selfSignedCertificate(const std::vector<std::string>& hostNames);

// A local certificate authority and a server certificate it signed for the given host names (and
// 127.0.0.1). A client trusts the authority's certificate, never the server's own.
struct LocalCertificates {
    CertificatePem authority;
    CertificatePem server;
};
LocalCertificates issueLocalCertificates(const std::vector<std::string>& hostNames);

}  // namespace tq::local

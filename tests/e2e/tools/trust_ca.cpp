// trust_ca: adds a DER certificate to the LOCAL_MACHINE "Root" store of the Wine prefix it runs in,
// so that WinINet there trusts the demo store's certificate authority. It only ever touches the
// prefix's own store, never the host's.
//
//   trust_ca.exe <certificate.der>
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: trust_ca <certificate.der>\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "trust_ca: cannot open %s (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    std::vector<BYTE> der(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    BOOL read = ReadFile(file, der.data(), static_cast<DWORD>(der.size()), &got, nullptr);
    CloseHandle(file);
    if (!read || got != der.size() || der.empty()) {
        std::fprintf(stderr, "trust_ca: cannot read %s\n", argv[1]);
        return 1;
    }

    HCERTSTORE store = CertOpenStore(CERT_STORE_PROV_SYSTEM_A, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, "Root");
    if (!store) {
        std::fprintf(stderr, "trust_ca: cannot open the Root store (error %lu)\n", GetLastError());
        return 1;
    }
    PCCERT_CONTEXT added = nullptr;
    BOOL ok = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), static_cast<DWORD>(der.size()),
                                               CERT_STORE_ADD_REPLACE_EXISTING, &added);
    if (!ok) {
        std::fprintf(stderr, "trust_ca: cannot add the certificate (error 0x%lx)\n", GetLastError());
        CertCloseStore(store, 0);
        return 1;
    }
    char subject[256] = "";
    CertGetNameStringA(added, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, subject, sizeof subject);
    CertFreeCertificateContext(added);
    CertCloseStore(store, 0);
    std::printf("trusted: %s\n", subject);
    return 0;
}

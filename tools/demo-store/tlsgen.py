"""Throwaway certificate authority and `localhost` server certificate for the HTTPS listener.

Made once with the `openssl` command line and kept in the state folder; later starts reuse
them. `ca.der` is the same authority in DER form, for the small Win32 helper that adds it to
a Wine prefix's Root store. Nothing here touches the host's trust store.
"""

import secrets
import subprocess
from pathlib import Path

CA_SUBJECT = "/O=Orvane Demo Store/CN=Orvane Demo Store Test CA"
SERVER_SUBJECT = "/O=Orvane Demo Store/CN=localhost"

_SERVER_EXTENSIONS = """\
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = DNS:localhost
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid, issuer
"""


def _openssl(*args, cwd):
    result = subprocess.run(["openssl", *args], cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        raise RuntimeError("openssl %s failed: %s" % (args[0], result.stderr.strip()))


def ensure_certificates(state_dir) -> dict:
    """Return the paths of ca.pem, ca.der, server.pem and server.key, making what is missing."""
    state = Path(state_dir)
    state.mkdir(parents=True, exist_ok=True)
    paths = {
        "ca": state / "ca.pem",
        "ca_key": state / "ca.key",
        "ca_der": state / "ca.der",
        "cert": state / "server.pem",
        "key": state / "server.key",
    }
    new_ca = not paths["ca"].exists() or not paths["ca_key"].exists()
    if new_ca:
        _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256",
                 "-keyout", "ca.key", "-out", "ca.pem", "-days", "3650",
                 "-subj", CA_SUBJECT,
                 "-addext", "basicConstraints=critical,CA:TRUE",
                 "-addext", "keyUsage=critical,keyCertSign,cRLSign",
                 cwd=state)
    if new_ca or not paths["ca_der"].exists():
        _openssl("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der", cwd=state)
    if new_ca or not paths["cert"].exists() or not paths["key"].exists():
        (state / "server.ext").write_text(_SERVER_EXTENSIONS)
        _openssl("req", "-newkey", "rsa:2048", "-nodes", "-sha256",
                 "-keyout", "server.key", "-out", "server.csr", "-subj", SERVER_SUBJECT,
                 cwd=state)
        _openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
                 "-set_serial", str(secrets.randbits(63)), "-days", "825", "-sha256",
                 "-extfile", "server.ext", "-out", "server.pem", cwd=state)
        (state / "server.csr").unlink(missing_ok=True)
    return {name: str(path) for name, path in paths.items()}

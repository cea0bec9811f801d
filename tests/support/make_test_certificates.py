#!/usr/bin/python3
"""Makes the certificates the encryption tests serve, into one folder.

  make_test_certificates.py FOLDER

Writes, each server file holding certificate and private key:
  ca.pem                 the test authority (certificate only); tests hand it
                         to the engine as if it were one of the system's roots
  trusted.pem            issued by the test authority for localhost, 127.0.0.1, ::1
  self_signed.pem        signed by itself, same names
  self_signed_other.pem  another self-signed one (a server whose certificate changed)
  wrong_name.pem         issued by the test authority for wrong.example only
  expired.pem            issued by the test authority, valid until a year ago
Existing files are kept, so several test processes may share the folder.
"""

import datetime
import ipaddress
import os
import sys

from cryptography import x509
from cryptography.hazmat.primitives import hashes, serialization
from cryptography.hazmat.primitives.asymmetric import ec
from cryptography.x509.oid import NameOID

LOCAL_NAMES = ["localhost", "127.0.0.1", "::1"]


def _names(names):
    result = []
    for name in names:
        try:
            result.append(x509.IPAddress(ipaddress.ip_address(name)))
        except ValueError:
            result.append(x509.DNSName(name))
    return x509.SubjectAlternativeName(result)


def _certificate(common_name, names, issuer=None, not_before=None, not_after=None, ca=False):
    key = ec.generate_private_key(ec.SECP256R1())
    now = datetime.datetime.now(datetime.timezone.utc)
    subject = x509.Name([x509.NameAttribute(NameOID.ORGANIZATION_NAME, "Corvell tests"),
                         x509.NameAttribute(NameOID.COMMON_NAME, common_name)])
    issuer_name, issuer_key = (issuer[0].subject, issuer[1]) if issuer else (subject, key)
    builder = (x509.CertificateBuilder()
               .subject_name(subject)
               .issuer_name(issuer_name)
               .public_key(key.public_key())
               .serial_number(x509.random_serial_number())
               .not_valid_before(not_before or now - datetime.timedelta(days=1))
               .not_valid_after(not_after or now + datetime.timedelta(days=3650))
               .add_extension(x509.BasicConstraints(ca=ca, path_length=None), critical=True))
    if names:
        builder = builder.add_extension(_names(names), critical=False)
    return builder.sign(issuer_key, hashes.SHA256()), key


def _write(path, certificate, key=None):
    data = certificate.public_bytes(serialization.Encoding.PEM)
    if key is not None:
        data += key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                  serialization.NoEncryption())
    temporary = "%s.%d.tmp" % (path, os.getpid())
    with open(temporary, "wb") as out:
        out.write(data)
    os.replace(temporary, path)


def main(folder):
    os.makedirs(folder, exist_ok=True)
    if os.path.exists(os.path.join(folder, "expired.pem")):
        return
    now = datetime.datetime.now(datetime.timezone.utc)
    authority = _certificate("Corvell Test Authority", None, ca=True)
    issued = {
        "trusted.pem": _certificate("localhost", LOCAL_NAMES, authority),
        "self_signed.pem": _certificate("localhost", LOCAL_NAMES),
        "self_signed_other.pem": _certificate("localhost", LOCAL_NAMES),
        "wrong_name.pem": _certificate("wrong.example", ["wrong.example"], authority),
        "expired.pem": _certificate("localhost", LOCAL_NAMES, authority,
                                    now - datetime.timedelta(days=800),
                                    now - datetime.timedelta(days=365)),
    }
    _write(os.path.join(folder, "ca.pem"), authority[0])
    # expired.pem last: its presence says the set is complete.
    for name, (certificate, key) in issued.items():
        _write(os.path.join(folder, name), certificate, key)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        raise SystemExit(__doc__)
    main(sys.argv[1])

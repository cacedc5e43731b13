#!/usr/bin/python3
"""Writes the seed corpus of ldap_reply_fuzzer into corpus/ldap_reply: the answers of a small
directory (o=t) to a client that starts, finds the groups and reads their members, as chunks of
BER protocol operations (see ldap_reply_fuzzer.cpp), and a few answers that are wrong on purpose."""
import os

SEPARATOR = b"\xde\xad\xbe\xef"
PAGED = b"1.2.840.113556.1.4.319"


def tlv(tag, content):
    n = len(content)
    if n < 0x80:
        head = bytes([n])
    else:
        digits = n.to_bytes((n.bit_length() + 7) // 8, "big")
        head = bytes([0x80 | len(digits)]) + digits
    return bytes([tag]) + head + content


def octets(text):
    return tlv(0x04, text if isinstance(text, bytes) else text.encode())


def integer(value, tag=0x02):
    return tlv(tag, value.to_bytes(max(1, (value.bit_length() + 8) // 8), "big", signed=True))


def entry(dn, attributes):
    listed = b"".join(tlv(0x30, octets(name) + tlv(0x31, b"".join(octets(v) for v in values)))
                      for name, values in attributes)
    return tlv(0x64, octets(dn) + tlv(0x30, listed))


def done(code=0, diagnostic="", cookie=None, referrals=()):
    content = integer(code, 0x0a) + octets("") + octets(diagnostic)
    if referrals:
        content += tlv(0xa3, b"".join(octets(r) for r in referrals))
    result = tlv(0x65, content)
    if cookie is not None:
        value = tlv(0x30, integer(0) + octets(cookie))
        result += tlv(0xa0, tlv(0x30, octets(PAGED) + octets(value)))
    return result


def reference(*urls):
    return tlv(0x73, b"".join(octets(u) for u in urls))


ROOT = entry("", [("namingContexts", ["o=t"]), ("directoryTreeName", ["T"])])
GROUP = [("objectClass", ["groupOfNames", "top"])]
SCHEMA_ROOT = entry("", [("namingContexts", ["o=t"]), ("subschemaSubentry", ["cn=schema"])])
SCHEMA = entry("cn=schema", [
    ("attributeTypes", ["( 2.5.4.20 NAME 'telephoneNumber' X-NDS_NAME 'Telephone Number' "
                        "SYNTAX 1.3.6.1.4.1.1466.115.121.1.50 )",
                        "( 2.5.4.31 NAME 'member' SYNTAX 1.3.6.1.4.1.1466.115.121.1.12 )"]),
    ("objectClasses", ["( 2.5.6.9 NAME 'groupOfNames' X-NDS_NAME 'Group' SUP top STRUCTURAL )"]),
])


def person(name, phone):
    return entry(f"cn={name},ou=p,o=t", [("telephoneNumber", [phone])])


def seeds():
    lookup = [
        ROOT + done(),
        entry("cn=Crew,o=t", GROUP) + entry("cn=Deck,o=t", GROUP) + done(0, "", ""),
        entry("cn=Crew,o=t", [("member", ["cn=ann,ou=p,o=t", "cn=bo,ou=p,o=t", ""]),
                              ("description", ["The crew"])]) + done(),
        person("ann", "+31 1") + done(),
        person("bo", "+31 2") + done(),
        entry("cn=Deck,o=t", [("member", ["cn=cy,ou=p,o=t"])]) + done(),
        done(32, "no such entry"),
    ]
    yield "lookup", lookup
    yield "schema", [SCHEMA_ROOT + done(), SCHEMA + done()] + lookup[1:]
    yield "pages", [
        ROOT + done(),
        entry("cn=A,o=t", GROUP) + done(0, "", "1"),
        entry("cn=B,o=t", GROUP) + done(0, "", "2"),
        done(0, "", ""),
    ]
    yield "refused", [ROOT + done(), done(50, "no anonymous searches")]
    yield "same-cookie", [ROOT + done()] + [entry("cn=A,o=t", GROUP) + done(0, "", "c")] * 3
    yield "references", [
        ROOT + done(),
        entry("cn=A,o=t", GROUP) + reference("ldap://elsewhere/o=x") + done(),
        done(10, "", None, ["ldap://elsewhere/cn=A,o=t"]),
    ]
    broken = tlv(0x30, octets("description") + tlv(0x31, b"\x04\x10short"))
    yield "broken-attribute", [
        ROOT + done(),
        entry("cn=A,o=t", GROUP) + done(),
        tlv(0x64, octets("cn=A,o=t") + tlv(0x30, broken)) + done(),
    ]
    yield "broken-name", [ROOT + done(), tlv(0x64, b"\x04\x20cn=A") + done()]
    yield "no-end", [ROOT + done(), entry("cn=A,o=t", GROUP)]
    wide = [(f"x{i}", ["v"]) for i in range(300)] + [("member", ["cn=ann,ou=p,o=t"])]
    yield "wide", [ROOT + done(), entry("cn=W,o=t", GROUP) + done(), entry("cn=W,o=t", wide) + done()]


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "ldap_reply")
    os.makedirs(folder, exist_ok=True)
    for name, chunks in seeds():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(SEPARATOR.join(chunks))


if __name__ == "__main__":
    main()

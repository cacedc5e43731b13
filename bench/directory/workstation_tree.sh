#!/usr/bin/env bash
# Writes a generated tree to stdout: WORKSTATIONS workstations in ou=workstations, each with a
# registered user (USERS users in ou=staff, shared in turn), a registration time and an IP
# address; every user but each seventh with a phone; and the workstation group "All Workstations"
# holding every workstation. 100,000 workstations (the default) make about 32 MB.
#
#   workstation_tree.sh [WORKSTATIONS] [USERS]   USERS defaults to half the workstations
set -euo pipefail
workstations="${1:-100000}"
users="${2:-$(((workstations + 1) / 2))}"
awk -v n="$workstations" -v u="$users" 'BEGIN {
  printf "version: 1\n\ndn:\ndirectoryTreeName: BENCH_FLEET\n\n"
  printf "dn: o=bench\nobjectClass: organization\no: bench\n\n"
  printf "dn: ou=staff,o=bench\nobjectClass: organizationalUnit\nou: staff\n\n"
  printf "dn: ou=workstations,o=bench\nobjectClass: organizationalUnit\nou: workstations\n\n"
  for (i = 1; i <= u; i++) {
    printf "dn: cn=user%06d,ou=staff,o=bench\nobjectClass: inetOrgPerson\ncn: user%06d\n", i, i
    printf "sn: User %d\n", i
    if (i % 7 != 0) printf "telephoneNumber: +31 20 555 %04d\n", i % 10000
    printf "\n"
  }
  for (i = 1; i <= n; i++) {
    printf "dn: cn=WS-%06d,ou=workstations,o=bench\nobjectClass: zenWorkstation\n", i
    printf "objectClass: top\ncn: WS-%06d\n", i
    if (u > 0) printf "wMNAMEUser: cn=user%06d,ou=staff,o=bench\n", (i - 1) % u + 1
    printf "wMLastRegisteredTime: 2024%02d%02d%02d%02d00Z\n", i % 12 + 1, i % 28 + 1, i % 24, i % 60
    printf "zENINVIPAddress: [10.%d.%d.%d]\n\n", int(i / 65536) % 256, int(i / 256) % 256, i % 256
  }
  printf "dn: cn=All Workstations,o=bench\nobjectClass: zenWorkstationGroup\n"
  printf "cn: All Workstations\ndescription: Every workstation of the generated tree\n"
  for (i = 1; i <= n; i++) printf "member: cn=WS-%06d,ou=workstations,o=bench\n", i
}'

# Adds the entries of LDIF files to a Samba domain that is not running, in one transaction:
#   /usr/bin/python3 samba_load.py SMB.CONF FILE.ldif...
# Adding them through the LDAP port would take a round trip each.
import sys

from samba.auth import system_session
from samba.param import LoadParm
from samba.samdb import SamDB

settings = LoadParm()
settings.load(sys.argv[1])
db = SamDB(url=settings.private_path("sam.ldb"), session_info=system_session(), lp=settings)
db.transaction_start()
try:
    for name in sys.argv[2:]:
        with open(name, encoding="utf-8") as ldif:
            for _, message in db.parse_ldif(ldif.read()):
                db.add(message)
except Exception:
    db.transaction_cancel()
    raise
db.transaction_commit()

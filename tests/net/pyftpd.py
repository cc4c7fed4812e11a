"""pyftpdlib as an independent FTP server: anonymous with write access to a
folder, on 127.0.0.1 and a free port, which it prints on its first line."""
import sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

root = sys.argv[1]
auth = DummyAuthorizer()
auth.add_anonymous(root, perm="elradfmwMT")
handler = FTPHandler
handler.authorizer = auth
server = FTPServer(("127.0.0.1", 0), handler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever(timeout=0.2)

"""A throw-away PostgreSQL server on a free loopback port, for the benchmark's PostgreSQL row.

The cluster lives in a temporary folder and runs with PostgreSQL's own defaults (fsync on), as a
user's server would; as root it runs as nobody, since PostgreSQL refuses root. Clients connect
over TCP to 127.0.0.1 as the superuser postgres, without a password."""
import glob
import os
import shutil
import socket
import subprocess
import tempfile


def server_bin():
    """The newest installed PostgreSQL's bin folder, or None."""
    found = sorted(glob.glob("/usr/lib/postgresql/*/bin/initdb"),
                   key=lambda p: [int(x) for x in p.split("/")[4].split(".") if x.isdigit()])
    return os.path.dirname(found[-1]) if found else None


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class PostgresServer:
    def __init__(self):
        self.bin = server_bin()
        # In the system's temporary folder, which the server's user can reach.
        self.dir = tempfile.mkdtemp(prefix="ruzozaze-bench-pg-")
        self.port = free_port()
        self.prefix = ["runuser", "-u", "nobody", "--"] if os.geteuid() == 0 else []

    def __enter__(self):
        if self.prefix:
            shutil.chown(self.dir, "nobody")
        data = os.path.join(self.dir, "data")
        quiet = {"stdout": subprocess.DEVNULL, "check": True}
        subprocess.run(self.prefix + [self.bin + "/initdb", "-D", data, "-U", "postgres", "-A",
                                      "trust", "-E", "UTF8", "--locale=C.UTF-8"], **quiet)
        options = "-c listen_addresses=127.0.0.1 -c port=%d -c unix_socket_directories=''" % (
            self.port)
        subprocess.run(self.prefix + [self.bin + "/pg_ctl", "-D", data, "-l",
                                      os.path.join(self.dir, "server.log"), "-w", "-s", "start",
                                      "-o", options], **quiet)
        return self

    def __exit__(self, *exc):
        subprocess.run(self.prefix + [self.bin + "/pg_ctl", "-D", os.path.join(self.dir, "data"),
                                      "-m", "fast", "-w", "-s", "stop"], check=False)
        shutil.rmtree(self.dir, ignore_errors=True)

    def fresh_database(self, name):
        """The connection URI of an empty database `name`."""
        self.settle(name)
        self.sql("CREATE DATABASE %s" % name)
        return "postgresql://postgres@127.0.0.1:%d/%s" % (self.port, name)

    def settle(self, name):
        """Drops the database `name` and waits for the server's checkpoint, so that the server
        writes nothing while the rows after it are timed."""
        self.sql("DROP DATABASE IF EXISTS %s" % name)
        self.sql("CHECKPOINT")

    def sql(self, statement):
        subprocess.run([self.bin + "/psql", "-h", "127.0.0.1", "-p", str(self.port), "-U",
                        "postgres", "-d", "postgres", "-q", "-c", statement],
                       env=dict(os.environ, PGOPTIONS="-c client_min_messages=warning"),
                       stdout=subprocess.DEVNULL, check=True)

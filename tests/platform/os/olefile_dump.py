# Lists every stream of a compound document as "path<TAB>size<TAB>hex bytes", one per line,
# read with olefile, an independent reader. Exit code 3 when olefile is not installed.
import sys

try:
    import olefile
except ImportError:
    sys.exit(3)

ole = olefile.OleFileIO(sys.argv[1])
for entry in sorted(ole.listdir(streams=True, storages=False)):
    path = "/".join(entry)
    data = ole.openstream(entry).read()
    print("%s\t%d\t%s" % (path, ole.get_size(entry), data.hex()))
ole.close()

# Reads a workbook written by the spreadsheet writer with independent readers and prints
# what they found, one fact a line:
#   stream <name> <size> <mini|big>    each stream of a compound document (olefile)
#   record <offset> <id> <length>      the records of the workbook stream, in order
#   boundsheet <offset>                the BOF offset a BOUNDSHEET record holds
#   biff <version>                     the BIFF version xlrd saw
#   sheet <rows> <cols> <name>
#   cell <row> <col> <type> <value>    every non-empty cell (xlrd types: 1 text, 2 number)
# Exit code 3 when xlrd or olefile is missing, 4 when xlrd cannot read the file.
import struct
import sys

try:
    import olefile
    import xlrd
except ImportError:
    sys.exit(3)

path = sys.argv[1]
data = open(path, "rb").read()
if olefile.isOleFile(path):
    ole = olefile.OleFileIO(path)
    for entry in ole.listdir(streams=True, storages=False):
        name = "/".join(entry)
        size = ole.get_size(entry)
        # olefile reads a stream from the mini stream exactly when it is below the cutoff;
        # the root entry then holds the mini stream, which must be large enough for it.
        mini = size < ole.minisectorcutoff and ole.root.size >= size
        print("stream %s %d %s" % (name, size, "mini" if mini else "big"))
    stream = ole.openstream("Workbook" if ole.exists("Workbook") else "Book").read()
    ole.close()
else:
    stream = data
pos = 0
while pos + 4 <= len(stream):
    rid, length = struct.unpack_from("<HH", stream, pos)
    print("record %d %d %d" % (pos, rid, length))
    if rid == 0x0085:
        print("boundsheet %d" % struct.unpack_from("<I", stream, pos + 4)[0])
    pos += 4 + length
try:
    book = xlrd.open_workbook(path, formatting_info=False)
except Exception as e:  # noqa: BLE001
    print("error %s" % e)
    sys.exit(4)
print("biff %d" % book.biff_version)
for sheet in book.sheets():
    print("sheet %d %d %s" % (sheet.nrows, sheet.ncols, sheet.name))
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            # Numbers (2) and numbers whose format is a date or time (3) both count as numbers.
            if cell.ctype in (1, 2, 3):
                value = cell.value if cell.ctype == 1 else repr(float(cell.value))
                print("cell %d %d %d %s" % (r, c, min(cell.ctype, 2), value))

"""Reads every record of a table with one of Python's dBase readers, the way
a script that converts a table would: each value of each record is touched.

    python3 python_readers.py dbfread|dbf TABLE.DBF
"""
import sys


def read_with_dbfread(path):
    import dbfread
    count = 0
    for record in dbfread.DBF(path, encoding="cp852", load=False, ignore_missing_memofile=False):
        for value in record.values():
            count += value is not None
    return count


def read_with_dbf(path):
    import dbf
    count = 0
    with dbf.Table(path, codepage="cp852") as table:
        for record in table:
            for value in record:
                count += value is not None
    return count


if __name__ == "__main__":
    reader = {"dbfread": read_with_dbfread, "dbf": read_with_dbf}[sys.argv[1]]
    print(reader(sys.argv[2]))

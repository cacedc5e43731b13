"""The generated member list of the writer benchmarks, for the scripts that write the same cells
with other writers. Must match GeneratedList::Cell in generated_list.h."""

CAPTIONS = ["User", "Phone", "Office", "Department", "Note"]

# Source of cell(i, c), pasted into the scripts the comparisons run in a separate process.
CELL_CODE = '''
def cell(i, c):
    return ("member%d.sales.acme" % i, "+31 20 %d" % (5550000 + i), "Room %d" % (i % 500),
            "Dept %d" % (i % 40), "note %d" % i)[c]
'''

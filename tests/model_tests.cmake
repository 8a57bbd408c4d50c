# Tests of the analytical model and the results report.

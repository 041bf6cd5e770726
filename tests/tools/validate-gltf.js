// Tolmar MSH Viewer - runs the Khronos glTF Validator on each file named; exits 1 if any has an error.
// Copyright (C) 2026 the Tolmar MSH Viewer developers. GPL-3.0-or-later.
const fs = require ('fs');
const path = require ('path');
const validator = require (process.env.GLTF_VALIDATOR);

(async () => {
    let failed = 0;
    for (const file of process.argv.slice (2)) {
        const report = await validator.validateBytes (new Uint8Array (fs.readFileSync (file)), {
            externalResourceFunction: (uri) => Promise.resolve (new Uint8Array (fs.readFileSync (path.join (path.dirname (file), decodeURIComponent (uri)))))
        });
        const errors = report.issues.messages.filter ((m) => m.severity === 0);
        console.log (`${file}: ${report.issues.numErrors} errors, ${report.issues.numWarnings} warnings`);
        errors.forEach ((m) => console.log (`  ${m.code} ${m.pointer || ''}: ${m.message}`));
        failed += report.issues.numErrors > 0 ? 1 : 0;
    }
    process.exit (failed > 0 ? 1 : 0);
}) ();

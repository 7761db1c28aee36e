// Runs a project through Tracery, as quorvel-gen runs it: the grammar file (written by
// quorvel-bench) holds one symbol per element and per template, and the project's template
// symbols in order; the project is run TIMES times and every line goes to standard output.
// Usage: node tracery-run.js GRAMMAR.json TIMES
'use strict';
const fs = require('fs');
const tracery = require('tracery-grammar');

const [grammarFile, timesText] = process.argv.slice(2);
const input = JSON.parse(fs.readFileSync(grammarFile, 'utf8'));
const grammar = tracery.createGrammar(input.symbols);
const origins = input.project.map((symbol) => '#' + symbol + '#');
const times = Number(timesText);

// Lines go out in large blocks, as quorvel-gen writes them.
let block = [];
const flush = () => {
    fs.writeSync(1, block.join(''));
    block = [];
};
for (let run = 0; run < times; ++run) {
    for (const origin of origins) {
        block.push(grammar.flatten(origin), '\n');
        if (block.length >= 8192)
            flush();
    }
}
flush();
